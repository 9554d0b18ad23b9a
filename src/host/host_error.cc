#include "host/host_error.h"

#include <utility>

namespace tarquel::host {

HostError::HostError(int number, std::string description)
    : std::runtime_error("実行時エラー '" + std::to_string(number) + "': " + description),
      number_(number),
      description_(std::move(description)) {}

std::string HostError::Display() const {
  return "実行時エラー '" + std::to_string(number_) + "':\r\n\r\n" + description_;
}

namespace {

std::string WithDetail(const char* base, const std::string& detail) {
  return detail.empty() ? std::string(base) : std::string(base) + "\r\n" + detail;
}

}  // namespace

void ThrowTypeMismatch(const std::string& detail) {
  throw HostError(HostError::kTypeMismatch, WithDetail("型が一致しません。", detail));
}

void ThrowSubscriptOutOfRange(const std::string& detail) {
  throw HostError(HostError::kSubscriptOutOfRange,
                  WithDetail("インデックスが有効範囲にありません。", detail));
}

void ThrowInvalidCall(const std::string& detail) {
  throw HostError(HostError::kInvalidCall,
                  WithDetail("プロシージャの呼び出し、または引数が不正です。", detail));
}

void ThrowApplicationDefined(const std::string& detail) {
  throw HostError(HostError::kApplicationDefined,
                  WithDetail("アプリケーション定義またはオブジェクト定義のエラーです。", detail));
}

}  // namespace tarquel::host
