#include "host/forms/controls.h"

#include "host/forms/form.h"
#include "host/host_error.h"

namespace tarquel::host {

Control::Control(Form& form, std::string name) : form_(form), name_(std::move(name)) {
  common_.tab_index = static_cast<int>(form.controls().size());
  form.Register(*this);
}

// Members are destroyed before their form, so the form is still there to forget the control.
Control::~Control() { form_.Unregister(*this); }

void Control::PlaceOn(MultiPage& multi_page, int page) {
  if (&multi_page.form() != &form_ || &multi_page == this) {
    ThrowInvalidCall(name_ + " cannot be placed on " + multi_page.name());
  }
  multi_page.page(page);  // throws when there is no such page
  container_ = &multi_page;
  container_page_ = page;
}

void Control::CaptureDesign() { common_design_ = common_; }
void Control::RestoreDesign() { common_ = common_design_; }

void TextBox::SetValue(std::string value) {
  if (value == props_.value) return;
  props_.value = std::move(value);
  if (on_change) on_change();
}

void TextBox::CaptureDesign() {
  Control::CaptureDesign();
  design_ = props_;
}

void TextBox::RestoreDesign() {
  Control::RestoreDesign();
  props_ = design_;
}

void BooleanControl::SetValue(bool value) {
  if (value == props_.value) return;
  props_.value = value;
  if (on_change) on_change();
  if (on_click) on_click();
}

bool BooleanControl::Click() {
  if (!enabled() || !visible()) return false;
  SetValue(!props_.value);
  return true;
}

void BooleanControl::CaptureDesign() {
  Control::CaptureDesign();
  design_ = props_;
}

void BooleanControl::RestoreDesign() {
  Control::RestoreDesign();
  props_ = design_;
}

bool CommandButton::Click() {
  if (!enabled() || !visible()) return false;
  if (on_click) on_click();
  return true;
}

void CommandButton::CaptureDesign() {
  Control::CaptureDesign();
  design_caption_ = caption_;
}

void CommandButton::RestoreDesign() {
  Control::RestoreDesign();
  caption_ = design_caption_;
}

void Label::CaptureDesign() {
  Control::CaptureDesign();
  design_caption_ = caption_;
}

void Label::RestoreDesign() {
  Control::RestoreDesign();
  caption_ = design_caption_;
}

void Image::CaptureDesign() {
  Control::CaptureDesign();
  design_picture_ = picture_;
}

void Image::RestoreDesign() {
  Control::RestoreDesign();
  picture_ = design_picture_;
}

int MultiPage::AddPage(std::string caption) {
  props_.pages.push_back(Page{std::move(caption)});
  if (props_.value < 0) props_.value = 0;
  return page_count() - 1;
}

const MultiPage::Page& MultiPage::page(int index) const {
  if (index < 0 || index >= page_count()) {
    ThrowInvalidCall(name() + ": no page " + std::to_string(index) + " (it has " +
                     std::to_string(page_count()) + ")");
  }
  return props_.pages[static_cast<std::size_t>(index)];
}

MultiPage::Page& MultiPage::page(int index) {
  return const_cast<Page&>(static_cast<const MultiPage&>(*this).page(index));
}

void MultiPage::SetValue(int index) {
  page(index);  // throws when there is no such page
  if (index == props_.value) return;
  props_.value = index;
  if (on_change) on_change();
}

void MultiPage::CaptureDesign() {
  Control::CaptureDesign();
  design_ = props_;
}

void MultiPage::RestoreDesign() {
  Control::RestoreDesign();
  props_ = design_;
}

}  // namespace tarquel::host
