#include "datafiles/show_file_sentaku.h"

#include "datafiles/file_sentaku.h"
#include "model/body.h"
#include "model/kept_dialog.h"

namespace tarquel::datafiles {

void ShowFileSentaku(model::Body& body) {
  model::ShowKeptDialog<FILE_Sentaku>(body.file_sentaku, body);
}

}  // namespace tarquel::datafiles
