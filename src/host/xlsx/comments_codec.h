// Cell comments in a package: the comments part (authors and texts) and the legacy drawing
// (VML) whose shapes give each comment box its size and visibility; both spreadsheet programs
// need the drawing to show the comments.
#ifndef TARQUEL_HOST_XLSX_COMMENTS_CODEC_H_
#define TARQUEL_HOST_XLSX_COMMENTS_CODEC_H_

#include <map>
#include <string>
#include <utility>

#include <pugixml.hpp>

#include "host/worksheet.h"

namespace tarquel::host::xlsx {

using CommentMap = std::map<std::pair<int32_t, int32_t>, Comment>;

// Reads a comments part; the boxes get the host's default size until ReadCommentShapes. A text
// with runs of its own formatting keeps its element in Comment::file_text.
CommentMap ReadComments(const pugi::xml_document& doc, const std::string& part);
// Takes sizes and visibility from the shapes of a legacy drawing (a VML document that may not be
// well-formed XML in every producer's hands: unreadable shapes keep the default size).
void ReadCommentShapes(const std::string& vml, CommentMap& comments);

// Writes a comments part: each text as one plain run, or as the file's element while the text
// still reads as it did.
void WriteComments(const CommentMap& comments, pugi::xml_document& doc);
std::string WriteCommentShapes(const CommentMap& comments);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_COMMENTS_CODEC_H_
