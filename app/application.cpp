#include "app/application.h"

#include "workbench/host_services.h"

#include <cxxabi.h>
#include <dlfcn.h>

#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <cstdlib>
#include <typeinfo>

#include "app/form1.h"
#include "app/form2.h"
#include "app/jpeg.h"

QString TitleFromExecutable(const QString& path) {
  QString name = path.mid(path.lastIndexOf(u'/') + 1);
  const qsizetype dot = name.indexOf(u'.');
  if (dot >= 0) name.truncate(dot);
  if (name.size() > 1) name = name.left(1) + name.mid(1).toLower();
  return name;
}

namespace {

std::string ClassNameOf(const std::exception& error) {
  if (const auto* own = dynamic_cast<const Exception*>(&error)) return own->ClassName();
  int status = 0;
  char* plain = abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status);
  std::string name = status == 0 && plain ? plain : typeid(error).name();
  std::free(plain);
  return name;
}

}  // namespace

std::string LastResortText(const std::exception& error, const std::string& module,
                           const void* offset) {
  const auto* own = dynamic_cast<const Exception*>(&error);
  const std::string class_name = ClassNameOf(error);
  const std::string message = own ? own->Message() : error.what();
  const bool full_stop = !message.empty() && message.back() != '.';
  return Format("Exception %s in module %s at %p.\r\n%s%s\r\n",
                {class_name, module, offset, message, full_stop ? "." : ""});
}

int HandleLastResort() noexcept {
  // The code that failed is reached through main; its address names the module.
  const void* code = __builtin_return_address(0);
  std::string module = "?";
  const void* offset = code;
  Dl_info info;
  if (dladdr(code, &info) && info.dli_fname) {
    module = info.dli_fname;
    module = module.substr(module.find_last_of('/') + 1);
    offset = reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(code) -
                                           reinterpret_cast<uintptr_t>(info.dli_fbase));
  }
  try {
    try {
      throw;
    } catch (const std::exception& error) {
      Dialogs().ShowApplicationError(LastResortText(error, module, offset));
    } catch (...) {
      Dialogs().ShowApplicationError(
          LastResortText(Exception("Unknown exception"), module, offset));
    }
  } catch (...) {
    // Nothing more can be shown; the exit code still tells.
  }
  return 1;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // For runs without a person at the screen (automated checks): boxes go to stderr.
  const char* to_stderr = std::getenv("TAVREL_BOXES_TO_STDERR");
  if (to_stderr && *to_stderr) {
    stderr_dialogs_ = std::make_unique<TStderrDialogs>();
    SetDialogs(stderr_dialogs_.get());
  }
}

TApplication::~TApplication() {
  form2_.reset();
  form1_.reset();
  if (stderr_dialogs_) SetDialogs(nullptr);
}

void TApplication::Initialize() {
  SetApplicationTitle(TitleFromExecutable(applicationFilePath()));
  setWindowIcon(QIcon(QPixmap::fromImage(LoadPicture("application.jpg"))));
  // What the data layer asks of its host: timers on this loop, the user's number forms.
  InstallQtHostTimers();
  SetFormatSettings(FormatSettingsFromLocale(QLocale::system()));
  // What the program's own words do not fix follows the user's language.
  InstallQtTranslations(QLocale::system());
}

void TApplication::CreateForms() {
  form1_ = std::make_unique<TForm1>();
  form2_ = std::make_unique<TForm2>();
  form1_->AboutForm = form2_.get();
}

int TApplication::Run() {
  form1_->show();
  return exec();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowCurrentException();
    return false;
  }
}
