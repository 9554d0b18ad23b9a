// Cell comments in a package: the comments part (authors and texts) and the legacy drawing
// (VML) whose shapes give each comment box its size and visibility; both spreadsheet programs
// need the drawing to show the comments.
#ifndef TARQUEL_HOST_XLSX_COMMENTS_CODEC_H_
#define TARQUEL_HOST_XLSX_COMMENTS_CODEC_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "host/worksheet.h"

namespace tarquel::host::xlsx {

using CommentMap = std::map<std::pair<int32_t, int32_t>, Comment>;

// Reads a comments part; the boxes get the host's default size until ReadCommentShapes. A text
// with runs of its own formatting keeps its element in Comment::file_text.
CommentMap ReadComments(const pugi::xml_document& doc, const std::string& part);
// A sheet's legacy drawing as read, cut around the shapes of its comments, so that the rest (the
// shape layout, the shape types the shapes refer to, other controls' shapes) is written back as
// it came: texts[0] shapes[0] texts[1] ... shapes[n-1] texts[n].
struct CommentDrawing {
  std::vector<std::string> texts;
  std::vector<std::shared_ptr<const FileCommentShape>> shapes;
  int next_shape_id = 1025;  // above every shape id the drawing uses
};

// Takes sizes and visibility from the comment shapes of a legacy drawing (a VML document that may
// not be well-formed XML in every producer's hands: unreadable shapes keep the default size) and
// gives each comment its shape. Returns the drawing, or nullopt when it has no comment shape (the
// pictures of a header and footer are a legacy drawing too).
std::optional<CommentDrawing> ReadCommentShapes(const std::string& vml, CommentMap& comments);

// Writes a comments part: each text as one plain run, or as the file's element while the text
// still reads as it did.
void WriteComments(const CommentMap& comments, pugi::xml_document& doc);
// Writes the legacy drawing of the comments. Given the drawing as read, it is written back with
// each comment's shape as it came while the comment is at the shape's cell with its size and
// visibility; a changed comment's shape is written anew in its place, a deleted comment's shape
// is left out, and the other comments get new shapes after the last of the drawing's.
std::string WriteCommentShapes(const CommentMap& comments, const CommentDrawing* drawing = nullptr);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_COMMENTS_CODEC_H_
