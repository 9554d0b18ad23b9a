// A painter for tests that keeps everything drawn on it, in order, with the clip each drawing was
// made under.
#ifndef TARQUEL_TESTS_PRINT_RECORDING_PAINTER_H_
#define TARQUEL_TESTS_PRINT_RECORDING_PAINTER_H_

#include <optional>
#include <string>
#include <vector>

#include "print/painter.h"

namespace tarquel::testing {

class RecordingPainter : public print::Painter {
 public:
  struct Line {
    print::Point from;
    print::Point to;
    print::Stroke stroke;
  };
  struct Fill {
    print::Rect rect;
    print::Rgb color;
  };
  struct Glyphs {
    print::GlyphRun run;
    std::optional<print::Rect> clip;  // the clip in force (the innermost one pushed)
  };
  struct Page {
    double width = 0;
    double height = 0;
  };

  void BeginPage(double width, double height) override {
    pages.push_back({width, height});
    ops.push_back("page");
  }
  void EndPage() override { ops.push_back("end"); }
  void FillRect(const print::Rect& rect, const print::Rgb& color) override {
    fills.push_back({rect, color});
    ops.push_back("fill");
  }
  void DrawLine(const print::Point& from, const print::Point& to,
                const print::Stroke& stroke) override {
    lines.push_back({from, to, stroke});
    ops.push_back("line");
  }
  void DrawGlyphs(const print::GlyphRun& run) override {
    glyphs.push_back({run, clips.empty() ? std::nullopt : std::optional(clips.back())});
    ops.push_back("glyphs");
  }
  void PushClip(const print::Rect& rect) override {
    clips.push_back(rect);
    ops.push_back("clip");
  }
  void PopClip() override {
    clips.pop_back();
    ops.push_back("unclip");
  }

  std::vector<Page> pages;
  std::vector<Fill> fills;
  std::vector<Line> lines;
  std::vector<Glyphs> glyphs;
  std::vector<print::Rect> clips;  // the clips in force now
  std::vector<std::string> ops;    // "page", "fill", "line", "glyphs", "clip", "unclip", "end"
};

}  // namespace tarquel::testing

#endif  // TARQUEL_TESTS_PRINT_RECORDING_PAINTER_H_
