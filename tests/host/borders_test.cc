#include "host/borders.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "host/range.h"
#include "support/host_fixture.h"

namespace tarquel::host {
namespace {

using testing::HostErrorOf;

class BordersTest : public testing::HostTest {};

// A paste replaces the destination cell's own edges and leaves the line its neighbour set. Each
// case pastes a copy of one cell at B2 (or D2) beside a neighbour, after one of them or neither
// drew the line between them, with the copy bringing an edge on that side or not.
TEST_F(BordersTest, APasteReplacesOwnEdgesAndLeavesTheNeighboursLine) {
  enum class Drawn { kNeither, kNeighbour, kTarget };
  struct Case {
    const char* name;
    BorderIndex side;  // the side of the target the neighbour is on
    Drawn drawn;
    std::optional<LineStyle> copy_brings;
    LineStyle target_reads;
    LineStyle neighbour_reads;
  };
  const Case cases[] = {
      {"nothing anywhere", BorderIndex::kEdgeBottom, Drawn::kNeither, std::nullopt,
       LineStyle::kNone, LineStyle::kNone},
      {"the copy's line", BorderIndex::kEdgeBottom, Drawn::kNeither, LineStyle::kDouble,
       LineStyle::kDouble, LineStyle::kDouble},
      {"the neighbour's line stays", BorderIndex::kEdgeBottom, Drawn::kNeighbour, std::nullopt,
       LineStyle::kContinuous, LineStyle::kContinuous},
      {"each keeps its own", BorderIndex::kEdgeBottom, Drawn::kNeighbour, LineStyle::kDouble,
       LineStyle::kDouble, LineStyle::kContinuous},
      {"the target's own line goes", BorderIndex::kEdgeBottom, Drawn::kTarget, std::nullopt,
       LineStyle::kNone, LineStyle::kNone},
      {"the copy's line replaces the target's", BorderIndex::kEdgeBottom, Drawn::kTarget,
       LineStyle::kDouble, LineStyle::kDouble, LineStyle::kDouble},
      {"the left neighbour's line stays", BorderIndex::kEdgeLeft, Drawn::kNeighbour, std::nullopt,
       LineStyle::kContinuous, LineStyle::kContinuous},
      {"the target's own left line goes", BorderIndex::kEdgeLeft, Drawn::kTarget, std::nullopt,
       LineStyle::kNone, LineStyle::kNone},
      {"the copy's left line", BorderIndex::kEdgeLeft, Drawn::kNeither, LineStyle::kDash,
       LineStyle::kDash, LineStyle::kDash},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Worksheet& sheet = book_->Sheets().Add();
    const bool below = c.side == BorderIndex::kEdgeBottom;
    Range target = sheet.Range("D2");
    Range neighbour = sheet.Range(below ? "D3" : "C2");
    const BorderIndex facing = below ? BorderIndex::kEdgeTop : BorderIndex::kEdgeRight;
    if (c.drawn == Drawn::kNeighbour)
      neighbour.Borders(facing).SetLineStyle(LineStyle::kContinuous);
    if (c.drawn == Drawn::kTarget) target.Borders(c.side).SetLineStyle(LineStyle::kContinuous);
    target.SetValue("前の問題");

    Range source = sheet.Range("H10");
    source.SetValue("問題文");
    if (c.copy_brings) source.Borders(c.side).SetLineStyle(*c.copy_brings);
    source.Copy();
    sheet.Activate();
    target.Select();
    sheet.Paste();

    EXPECT_EQ(target.Value().AsText(), "問題文");
    EXPECT_EQ(target.Borders(c.side).LineStyle(), c.target_reads);
    EXPECT_EQ(neighbour.Borders(facing).LineStyle(), c.neighbour_reads);
  }
}

// Page 1's empty answer cells are copied to every further page with nothing but their lines.
TEST_F(BordersTest, ACopyOfEmptyBorderedCellsCarriesTheirLines) {
  Range page = At("A1:C4");
  Range answers = At("A3:C3");
  for (BorderIndex edge : {BorderIndex::kEdgeLeft, BorderIndex::kEdgeTop, BorderIndex::kEdgeBottom,
                           BorderIndex::kEdgeRight, BorderIndex::kInsideVertical}) {
    answers.Borders(edge).SetLineStyle(LineStyle::kContinuous);
  }
  page.Copy();
  At("A5").Select();
  sheet_->Paste();
  for (const char* cell : {"A7", "B7", "C7"}) {
    SCOPED_TRACE(cell);
    for (BorderIndex edge : {BorderIndex::kEdgeLeft, BorderIndex::kEdgeTop,
                             BorderIndex::kEdgeBottom, BorderIndex::kEdgeRight}) {
      EXPECT_EQ(At(cell).Borders(edge).LineStyle(), LineStyle::kContinuous);
    }
    EXPECT_TRUE(At(cell).Value().IsEmpty());
  }
  EXPECT_EQ(At("A6:C6").Borders(BorderIndex::kEdgeBottom).LineStyle(), LineStyle::kContinuous)
      << "the question row above reads the answers' top line";
  EXPECT_EQ(At("A8:C8").Borders(BorderIndex::kEdgeBottom).LineStyle(), LineStyle::kNone);
}

// A range of several areas reaches the lines of every area, and reads one style only when all
// of them agree.
TEST_F(BordersTest, LinesOfEveryAreaOfARange) {
  Range both = At("A3:T3,A7:T7");
  both.Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kContinuous);
  both.Borders(BorderIndex::kEdgeTop).SetWeight(BorderWeight::kMedium);
  for (const char* row : {"A2:T2", "A6:T6"}) {
    EXPECT_EQ(At(row).Borders(BorderIndex::kEdgeBottom).LineStyle(), LineStyle::kContinuous) << row;
    EXPECT_EQ(At(row).Borders(BorderIndex::kEdgeBottom).Weight(), BorderWeight::kMedium) << row;
  }
  EXPECT_EQ(both.Borders(BorderIndex::kEdgeTop).LineStyle(), LineStyle::kContinuous);

  At("K7").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kDot);
  EXPECT_EQ(both.Borders(BorderIndex::kEdgeTop).LineStyle(), std::nullopt)
      << "one position of the second area differs";
  EXPECT_EQ(At("A3:T3").Borders(BorderIndex::kEdgeTop).LineStyle(), LineStyle::kContinuous);

  both.Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kNone);
  EXPECT_EQ(At("A2:T2,A6:T6").Borders(BorderIndex::kEdgeBottom).LineStyle(), LineStyle::kNone);
}

// Colour indexes name the host's palette the same way for fonts and for lines; an index outside
// it is refused and changes nothing.
TEST_F(BordersTest, ColourIndexesOfLinesAndFonts) {
  struct Case {
    int index;
    bool accepted;
  };
  const Case cases[] = {{1, true},  {3, true},   {56, true}, {kColorIndexAutomatic, true},
                        {0, false}, {57, false}, {-1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    Range cell = At("E5");
    cell.Borders(BorderIndex::kEdgeRight).SetColorIndex(1);
    cell.Font().SetColorIndex(1);
    if (!c.accepted) {
      EXPECT_EQ(HostErrorOf([&] { ColorOfIndex(c.index); }), HostError::kApplicationDefined);
      EXPECT_EQ(HostErrorOf([&] { cell.Borders(BorderIndex::kEdgeRight).SetColorIndex(c.index); }),
                HostError::kApplicationDefined);
      EXPECT_EQ(HostErrorOf([&] { cell.Font().SetColorIndex(c.index); }),
                HostError::kApplicationDefined);
      EXPECT_EQ(cell.Borders(BorderIndex::kEdgeRight).ColorIndex(), 1);
      EXPECT_EQ(cell.Font().ColorIndex(), 1);
      continue;
    }
    EXPECT_EQ(ColorIndexOf(ColorOfIndex(c.index)), c.index);
    cell.Borders(BorderIndex::kEdgeRight).SetColorIndex(c.index);
    cell.Font().SetColorIndex(c.index);
    EXPECT_EQ(cell.Borders(BorderIndex::kEdgeRight).ColorIndex(), c.index);
    EXPECT_EQ(At("F5").Borders(BorderIndex::kEdgeLeft).ColorIndex(), c.index);
    EXPECT_EQ(cell.Font().ColorIndex(), c.index);
  }
  EXPECT_EQ(ColorIndexOf(Color::Rgb(0x123456)), 0) << "a colour outside the palette";
}

}  // namespace
}  // namespace tarquel::host
