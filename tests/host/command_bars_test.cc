#include "host/command_bars.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace tarquel::host {
namespace {

using testing::HostErrorOf;

TEST(CommandBarsTest, AddedControlsGoWhereAskedAndResetRemovesThem) {
  CommandBars bars;
  CommandBar& cell = bars.Item("cell");
  const int own = cell.Controls().Count();
  const std::string first = cell.Controls().Item(1).caption();
  ASSERT_GT(own, 0);

  cell.Controls().Item(1).SetBeginGroup(true);
  CommandBarControl& popup = cell.Controls().Add(ControlType::kPopup, 1);
  popup.SetCaption("ミラヴォ 同音・同訓(&D)");
  EXPECT_EQ(&cell.Controls().Item(1), &popup);
  EXPECT_EQ(cell.Controls().Item(2).caption(), first);

  CommandBarControls& items = cell.Controls().Item("ミラヴォ 同音・同訓(&D)").Controls();
  CommandBarControl& make = items.Add(ControlType::kButton);
  make.SetCaption("漢字テスト作成(&T)");
  make.SetOnAction("M_START");
  make.SetFaceId(176);
  items.Add(ControlType::kButton).SetCaption("解答表示(&A)");
  EXPECT_EQ(items.Item(2).caption(), "解答表示(&A)");
  EXPECT_EQ(items.Item("漢字テスト作成(&T)").face_id(), 176);

  cell.Reset();
  EXPECT_EQ(cell.Controls().Count(), own);
  EXPECT_EQ(cell.Controls().Item(1).caption(), first);
  EXPECT_FALSE(cell.Controls().Item(1).begin_group());
  EXPECT_TRUE(cell.Controls().Item(1).built_in());
  EXPECT_EQ(HostErrorOf([&] { cell.Controls().Item("ミラヴォ 同音・同訓(&D)"); }),
            HostError::kInvalidCall);
}

TEST(CommandBarsTest, LookupsOutsideTheBarAreRunTimeErrors) {
  CommandBars bars;
  CommandBarControls& controls = bars.Item("Cell").Controls();
  EXPECT_EQ(HostErrorOf([&] { controls.Item(0); }), HostError::kInvalidCall);
  EXPECT_EQ(HostErrorOf([&] { controls.Item(controls.Count() + 1); }), HostError::kInvalidCall);
  EXPECT_EQ(HostErrorOf([&] { controls.Add(ControlType::kButton, controls.Count() + 2); }),
            HostError::kInvalidCall);
  EXPECT_EQ(HostErrorOf([&] { controls.Item(1).Controls(); }), HostError::kApplicationDefined)
      << "a button has no submenu";
  EXPECT_EQ(HostErrorOf([&] { bars.Item("no such bar"); }), HostError::kInvalidCall);
}

}  // namespace
}  // namespace tarquel::host
