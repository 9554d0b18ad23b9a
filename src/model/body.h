// Body is the add-in's module state: everything that outlives one command. One Body is created
// when the library is loaded (shell::AddIn) and handed explicitly to every command procedure;
// there are no hidden globals, so a test starts from a freshly loaded library by making a new
// one.
#ifndef TARQUEL_MODEL_BODY_H_
#define TARQUEL_MODEL_BODY_H_

#include <memory>
#include <string>

#include "host/forms/form.h"
#include "model/generation_state.h"
#include "model/mark_outcome.h"
#include "settings/settings_file.h"

namespace tarquel::host {
class Application;
class Platform;
}  // namespace tarquel::host

namespace tarquel::model {

struct Body {
  // `running_host` is the host application the library is loaded into (what the host's
  // object lookup finds at start-up); `platform` gives files and the documents folder. Both
  // must outlive the Body.
  Body(host::Application& host, host::Platform& files) : running_host(&host), platform(&files) {}

  // HostApp; a run-time error (object not set) before start-up has fetched it.
  host::Application& HostApp() const;

  // Where the settings file lives, from the names start-up fixed.
  settings::SettingsLocation Settings() const {
    return {platform, data_folder_name, settings_file_name};
  }

  host::Application* running_host;
  host::Platform* platform;

  host::Application* host_app = nullptr;  // HostApp, set by Auto_Open
  bool use_sheet40 = false;               // the 40-question test sheet is in use
  std::string bank_sheet_name;
  std::string start_sheet_name;  // the bank sheet when the test dialog was opened
  std::string data_folder_name;
  std::string settings_file_name;

  GenerationState generation;  // the last scan and generation
  MarkOutcome last_mark;       // what the last wrong-answer or must-appear mark did

  // The four dialogs, created on first use and kept while the library is loaded.
  std::unique_ptr<host::Form> file_sentaku;
  std::unique_ptr<host::Form> form1;
  std::unique_ptr<host::Form> print_form;
  std::unique_ptr<host::Form> user_form1;
};

}  // namespace tarquel::model

#endif  // TARQUEL_MODEL_BODY_H_
