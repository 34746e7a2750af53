#include "app/application.h"

#include "main_window/form1_layout.h"

namespace zorvik {

Application::Application()
    : files_(posix::DriveMap::fromEnvironment()),
      registry_(posix::defaultSettingsStorePath()),
      shells_(registry_),
      box_(&window_),
      dialog_(&window_, layout::kDialogTitle, layout::kDialogFilter,
              [this](const std::string& host) { return files_.drives().windowsPathOf(host); }),
      player_(files_),
      form_({files_, box_, dialog_, player_, window_, shells_,
             posix::applicationFolder(files_.drives())}) {
    window_.attach(form_);
}

void Application::start() {
    form_.Form_Load();
    window_.show();
}

}  // namespace zorvik
