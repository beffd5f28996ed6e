#include "grid/grid_hooks.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <exception>

#include "data/errors/errors.h"
#include "grid/qt_text.h"

namespace {

TGridHooks* g_hooks = nullptr;

TGridHooks& RealHooks() {
  static TGridHooks hooks;
  return hooks;
}

}  // namespace

bool ShowConfirmBox(QWidget* parent, const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::Question, ToQt(caption), ToQt(text),
                  QMessageBox::Ok | QMessageBox::Cancel, parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Cancel);  // closing the box answers this too
  return box.exec() == QMessageBox::Ok;
}

std::string CurrentExceptionMessage() {
  try {
    throw;
  } catch (const Exception& error) {
    return error.Message();
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "Unknown exception";
  }
}

bool TGridHooks::Confirm(QWidget* parent, const std::string& caption, const std::string& text) {
  return ShowConfirmBox(parent, caption, text);
}

void TGridHooks::Beep() {
  QApplication::beep();
}

void TGridHooks::SetClipboardText(const std::string& text) {
  QGuiApplication::clipboard()->setText(ToQt(text));
}

std::string TGridHooks::ClipboardText() {
  return FromQt(QGuiApplication::clipboard()->text());
}

int TGridHooks::ChooseFromMenu(QWidget* parent, QPoint at, const std::vector<std::string>& items) {
  QMenu menu(parent);
  for (const std::string& item : items) menu.addAction(ToQt(item));
  const QAction* chosen = menu.exec(at);
  return chosen ? static_cast<int>(menu.actions().indexOf(chosen)) : -1;
}

void TGridHooks::HandleException() {
  try {
    throw;
  } catch (const EAbort&) {
    // The silent abort shows nothing.
  } catch (...) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                    ToQt(CurrentExceptionMessage()), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  }
}

bool TRecordingGridHooks::Confirm(QWidget*, const std::string& caption, const std::string& text) {
  confirmations.emplace_back(caption, text);
  if (answers.empty()) return false;
  const bool answer = answers.front();
  answers.erase(answers.begin());
  return answer;
}

int TRecordingGridHooks::ChooseFromMenu(QWidget*, QPoint, const std::vector<std::string>& items) {
  menus.push_back(items);
  if (menu_answers.empty()) return -1;
  const int answer = menu_answers.front();
  menu_answers.erase(menu_answers.begin());
  return answer;
}

TGridHooks* SetGridHooks(TGridHooks* hooks) {
  TGridHooks* previous = g_hooks;
  g_hooks = hooks;
  return previous;
}

TGridHooks& GridHooks() {
  return g_hooks ? *g_hooks : RealHooks();
}
