#include "datafiles/show_file_sentaku.h"

#include <memory>

#include "datafiles/file_sentaku.h"
#include "model/body.h"

namespace tarquel::datafiles {

void ShowFileSentaku(model::Body& body) {
  if (!body.file_sentaku) body.file_sentaku = std::make_unique<FILE_Sentaku>(body);
  body.file_sentaku->Show();
}

}  // namespace tarquel::datafiles
