#include "workbench/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cstdio>

#include "data/dataset/ib_dataset.h"
#include "grid/grid_hooks.h"
#include "grid/qt_text.h"

namespace {

QString& TitleStorage() {
  static QString title;
  return title;
}

TDialogs& RealDialogs() {
  static TDialogs dialogs;
  return dialogs;
}

TDialogs* g_dialogs = nullptr;

// The grids' road to the boxes: whichever dialogs are in place at the time.
class TDialogGridHooks : public TGridHooks {
 public:
  bool Confirm(QWidget* parent, const std::string& caption, const std::string& text) override {
    return Dialogs().Confirm(parent, caption, text);
  }
  void Beep() override { Dialogs().Beep(); }
  void HandleException() override { ShowCurrentException(); }
};

// Tabs become blanks up to the next multiple of eight columns, as the box draws them.
QString ExpandTabs(const QString& text) {
  QString out;
  int column = 0;
  for (QChar c : text) {
    if (c == u'\t') {
      do {
        out += u' ';
        ++column;
      } while (column % 8 != 0);
    } else {
      out += c;
      column = (c == u'\n' || c == u'\r') ? 0 : column + 1;
    }
  }
  return out;
}

void PrintBox(const QString& caption, const std::string& text) {
  std::fprintf(stderr, "[%s] %s\n", caption.toLocal8Bit().constData(),
               ToQt(text).toLocal8Bit().constData());
  std::fflush(stderr);
}

}  // namespace

const QString& ApplicationTitle() {
  return TitleStorage();
}
void SetApplicationTitle(const QString& title) {
  TitleStorage() = title;
}

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

std::string ApplyDefaultExt(const std::string& file_name, const std::string& default_ext) {
  if (file_name.empty() || default_ext.empty()) return file_name;
  const size_t slash = file_name.find_last_of('/');
  const size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  if (name_start >= file_name.size()) return file_name;  // a folder, not a file
  if (file_name.find('.', name_start) != std::string::npos) return file_name;
  return file_name + "." + default_ext;
}

bool TOpenDialog::Execute(QWidget* parent) {
  TOpenFileResult result = Dialogs().OpenFile(parent, *this);
  if (!result.confirmed) return false;
  file_name_ = ApplyDefaultExt(result.file_name, default_ext_);
  return true;
}

void TDialogs::ShowMessage(const std::string& text) {
  QDialog box;
  box.setWindowTitle(ApplicationTitle());
  box.setModal(true);

  const int margin = 16;
  const int spacing = 16;
  const QString shown = ExpandTabs(ToQt(text));
  QLabel* label = new QLabel(&box);
  label->setTextFormat(Qt::PlainText);
  label->setText(shown);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int max_width = screen ? screen->availableGeometry().width() / 2 : 640;
  const QRect text_rect =
      QFontMetrics(label->font())
          .boundingRect(QRect(0, 0, max_width, 0), Qt::TextWordWrap | Qt::AlignLeft, shown);
  label->setWordWrap(text_rect.width() >= max_width);
  label->setGeometry(margin, margin, text_rect.width() + 1, text_rect.height());

  QPushButton* ok = new QPushButton(QStringLiteral("OK"), &box);
  const QSize button(75, 25);
  const int width = std::max(label->width(), button.width()) + 2 * margin;
  ok->setGeometry((width - button.width()) / 2, margin + label->height() + spacing, button.width(),
                  button.height());
  ok->setDefault(true);  // Enter; Esc is the dialog's own cancel
  QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
  box.setFixedSize(width, ok->geometry().bottom() + 1 + margin);
  if (screen) {
    const QRect area = screen->availableGeometry();
    box.move(area.center() - QPoint(width / 2, box.height() / 2));
  }
  box.exec();
}

void TDialogs::ShowErrorText(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, ApplicationTitle(), ToQt(text), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void TDialogs::ShowApplicationError(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Application Error"), ToQt(text),
                  QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

TOpenFileResult TDialogs::OpenFile(QWidget* parent, const TOpenDialog& dialog) {
  QFileDialog box(parent);
  box.setAcceptMode(dialog.ForSaving() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  box.setFileMode(QFileDialog::AnyFile);  // the file need not exist
  box.setOption(QFileDialog::DontUseNativeDialog);
  box.setDefaultSuffix(ToQt(dialog.DefaultExt()));
  if (!dialog.FileName().empty()) box.selectFile(FileNameText(dialog.FileName()));
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return {};
  return {true, FileNameBytes(box.selectedFiles().first())};
}

bool TDialogs::Confirm(QWidget* parent, const std::string& caption, const std::string& text) {
  return ShowConfirmBox(parent, caption, text);
}

TDialogs::TAnswer TDialogs::AskYesNoCancel(QWidget* parent, const std::string& caption,
                                           const std::string& text) {
  QMessageBox box(QMessageBox::Question, ToQt(caption), ToQt(text), QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton(QStringLiteral("Sim"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("Não"), QMessageBox::NoRole);
  QPushButton* cancel = box.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == yes) return kYes;
  if (box.clickedButton() == no) return kNo;
  return kCancel;
}

void TDialogs::Beep() {
  QApplication::beep();
}

void TStderrDialogs::ShowMessage(const std::string& text) {
  PrintBox(ApplicationTitle(), text);
}
void TStderrDialogs::ShowErrorText(const std::string& text) {
  PrintBox(ApplicationTitle(), text);
}
void TStderrDialogs::ShowApplicationError(const std::string& text) {
  PrintBox(QStringLiteral("Application Error"), text);
}
TOpenFileResult TStderrDialogs::OpenFile(QWidget*, const TOpenDialog&) {
  return {};
}

bool TStderrDialogs::Confirm(QWidget*, const std::string& caption, const std::string& text) {
  PrintBox(ToQt(caption), text + " (Cancel)");
  return false;
}

TDialogs::TAnswer TStderrDialogs::AskYesNoCancel(QWidget*, const std::string& caption,
                                                 const std::string& text) {
  PrintBox(ToQt(caption), text + " (Sim)");
  return kYes;
}

TDialogs::TAnswer TRecordingDialogs::AskYesNoCancel(QWidget*, const std::string& caption,
                                                    const std::string& text) {
  questions.push_back(caption + ": " + text);
  if (yes_no_cancel_answers.empty()) return kCancel;
  const TAnswer answer = yes_no_cancel_answers.front();
  yes_no_cancel_answers.erase(yes_no_cancel_answers.begin());
  return answer;
}

bool TRecordingDialogs::Confirm(QWidget*, const std::string& caption, const std::string& text) {
  confirmations.push_back(caption + ": " + text);
  if (confirm_answers.empty()) return false;
  const bool answer = confirm_answers.front();
  confirm_answers.erase(confirm_answers.begin());
  return answer;
}

TOpenFileResult TRecordingDialogs::OpenFile(QWidget*, const TOpenDialog& dialog) {
  open_default_exts.push_back(dialog.DefaultExt());
  if (open_answers.empty()) return {};
  TOpenFileResult answer = open_answers.front();
  open_answers.erase(open_answers.begin());
  return answer;
}

TDialogs* SetDialogs(TDialogs* dialogs) {
  TDialogs* previous = g_dialogs;
  g_dialogs = dialogs;
  return previous;
}

TDialogs& Dialogs() {
  return g_dialogs ? *g_dialogs : RealDialogs();
}

void InstallGridHooks() {
  static TDialogGridHooks hooks;
  SetGridHooks(&hooks);
}

void ShowMessage(const std::string& text) {
  Dialogs().ShowMessage(text);
}

void ShowErrorBox(const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error)) return;
  if (const auto* own = dynamic_cast<const Exception*>(&error)) {
    Dialogs().ShowErrorText(ErrorBoxText(own->Message()));
  } else {
    Dialogs().ShowErrorText(ErrorBoxText(error.what()));
  }
}

namespace {

struct TLostHandler {
  const void* owner;
  std::function<void(const std::exception&)> handler;
};
std::vector<TLostHandler>& LostHandlers() {
  static std::vector<TLostHandler> handlers;
  return handlers;
}

}  // namespace

void SetConnectionLostHandler(const void* owner,
                              std::function<void(const std::exception&)> handler) {
  LostHandlers().push_back({owner, std::move(handler)});
}

void RemoveConnectionLostHandler(const void* owner) {
  auto& handlers = LostHandlers();
  handlers.erase(std::remove_if(handlers.begin(), handlers.end(),
                                [owner](const TLostHandler& h) { return h.owner == owner; }),
                 handlers.end());
}

const char* const kReadRowAgainQuestion =
    "Descartar a sua alteração e ler o registro como está agora?";

void ShowCurrentException() {
  try {
    try {
      throw;
    } catch (const ERowChanged& error) {
      // The edit stays; the person may take the row as it now is instead.
      auto* dataset = dynamic_cast<TIBCustomDataSet*>(error.DataSet());
      if (!dataset ||
          !Dialogs().Confirm(nullptr, FromQt(ApplicationTitle()),
                             ErrorBoxText(error.Message()) + "\n\n" + kReadRowAgainQuestion)) {
        if (!dataset) ShowErrorBox(error);
        return;
      }
      dataset->Cancel();
      dataset->RefreshRow();
    } catch (const std::exception& error) {
      if (IsConnectionLost(error) && !LostHandlers().empty()) {
        // A copy: the handler may close what put it in place.
        const auto handler = LostHandlers().back().handler;
        handler(error);
        return;
      }
      ShowErrorBox(error);
    } catch (...) {
      Dialogs().ShowErrorText("Unknown exception.");
    }
  } catch (...) {
    // Showing the box failed too; the handler's event is dropped and the program goes on.
  }
}
