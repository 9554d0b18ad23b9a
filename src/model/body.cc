#include "model/body.h"

#include "host/host_error.h"

namespace tarquel::model {

host::Application& Body::HostApp() const {
  if (host_app == nullptr) {
    throw host::HostError(91,
                          "オブジェクト変数または With ブロック変数が設定されていません。"
                          "アドインの開始処理（Auto_Open）がまだ実行されていません。");
  }
  return *host_app;
}

}  // namespace tarquel::model
