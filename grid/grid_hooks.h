// What the grid needs from the program above it: the confirmation box, the beep, the
// clipboard, the context menu, and where an exception from one of its own event
// handlers goes. The workbench installs its
// boxes here; tests install recorders, so no box ever blocks them.
#pragma once

#include <string>
#include <utility>
#include <vector>

class QWidget;
class QPoint;

class TGridHooks {
 public:
  virtual ~TGridHooks() = default;
  // A modal box with the question icon, "OK" and "Cancel"; true for OK. Escape or
  // closing the box answers Cancel.
  virtual bool Confirm(QWidget* parent, const std::string& caption, const std::string& text);
  virtual void Beep();
  // The clipboard's text, UTF-8.
  virtual void SetClipboardText(const std::string& text);
  virtual std::string ClipboardText();
  // A popup menu of `items` at the global point `at`; the index chosen, or -1.
  virtual int ChooseFromMenu(QWidget* parent, QPoint at, const std::vector<std::string>& items);
  // Called inside a catch block: shows the exception being handled.
  virtual void HandleException();
};

// The real confirmation box, for hooks that show one.
bool ShowConfirmBox(QWidget* parent, const std::string& caption, const std::string& text);
// The message of the exception being handled (call inside a catch block).
std::string CurrentExceptionMessage();

// Puts `hooks` in place (nullptr restores the real ones); returns the previous ones.
TGridHooks* SetGridHooks(TGridHooks* hooks);
TGridHooks& GridHooks();

class TScopedGridHooks {
 public:
  explicit TScopedGridHooks(TGridHooks* hooks) : previous_(SetGridHooks(hooks)) {}
  ~TScopedGridHooks() { SetGridHooks(previous_); }
  TScopedGridHooks(const TScopedGridHooks&) = delete;
  TScopedGridHooks& operator=(const TScopedGridHooks&) = delete;

 private:
  TGridHooks* previous_;
};

// Records what would have been shown; confirmations and menus take their answers from
// queues (none left means Cancel, as closing the box does). The clipboard is a string.
class TRecordingGridHooks : public TGridHooks {
 public:
  bool Confirm(QWidget* parent, const std::string& caption, const std::string& text) override;
  void Beep() override { ++beeps; }
  void HandleException() override { errors.push_back(CurrentExceptionMessage()); }
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  std::string ClipboardText() override { return clipboard; }
  int ChooseFromMenu(QWidget* parent, QPoint at, const std::vector<std::string>& items) override;

  std::vector<std::pair<std::string, std::string>> confirmations;  // caption, text
  std::vector<bool> answers;
  int beeps = 0;
  std::vector<std::string> errors;
  std::string clipboard;
  std::vector<std::vector<std::string>> menus;  // the items of each menu shown
  std::vector<int> menu_answers;
};

// Runs the body of one of the grid's Qt event handlers: nothing it raises crosses into
// Qt's event loop; the hooks show it instead.
template <typename F>
void RunGridHandler(F&& handler) noexcept {
  try {
    handler();
  } catch (...) {
    try {
      GridHooks().HandleException();
    } catch (...) {
      // Showing it failed too; the event is dropped and the program goes on.
    }
  }
}
