// What the grid's tests share: one application on the offscreen platform, key and mouse
// input, and an editable in-memory dataset whose rows hold the fields' native bytes.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/dataset/dataset.h"
#include "grid/db_grid.h"
#include "grid/grid_hooks.h"
#include "grid/qt_text.h"
#include "support/qt_environment.h"

inline auto* const g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Presses and releases a key on `target` as the keyboard would deliver it.
inline void Key(QWidget* target, int key, Qt::KeyboardModifiers shift = Qt::NoModifier,
                const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, shift, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, shift, text);
  QApplication::sendEvent(target, &release);
}

// Types text into whatever has the focus (the grid or its cell editor).
inline void Type(const QString& text) {
  for (QChar c : text) {
    QWidget* target = QApplication::focusWidget();
    const int key = c == u'\b' ? int{Qt::Key_Backspace} : int{c.toUpper().unicode()};
    Key(target, key, Qt::NoModifier, QString(c));
  }
}

// Sends a key to whatever has the focus.
inline void Press(int key, Qt::KeyboardModifiers shift = Qt::NoModifier) {
  QString text;
  if (key == Qt::Key_Return) text = "\r";
  if (key == Qt::Key_Escape) text = "\x1b";
  if (key == Qt::Key_Tab) text = "\t";
  Key(QApplication::focusWidget(), key, shift, text);
}

inline void Click(QWidget* target, QPoint point, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers shift = Qt::NoModifier) {
  const QPointF global = target->mapToGlobal(QPointF(point));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(point), global, button, button, shift);
  QApplication::sendEvent(target, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(point), global, button, Qt::NoButton,
                      shift);
  QApplication::sendEvent(target, &release);
}

// A click, then the second press as Qt delivers it (a double click) and its release.
inline void DoubleClick(QWidget* target, QPoint point) {
  Click(target, point);
  const QPointF global = target->mapToGlobal(QPointF(point));
  QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(point), global, Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &twice);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(point), global, Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(target, &release);
}

struct MemoryColumn {
  std::string name;
  TFieldType type;
  int size = 0;
};

using MemoryValue = std::optional<std::string>;  // the native bytes, or null
using MemoryRow = std::vector<MemoryValue>;

inline MemoryValue Int(int32_t value) {
  return std::string(reinterpret_cast<char*>(&value), 4);
}
inline MemoryValue Text(const std::string& value) {
  return value;
}
inline MemoryValue Bool(bool value) {
  return std::string(1, value ? '\1' : '\0');
}
inline MemoryValue Blob() {
  return std::string(8, '\1');
}

// Rows in a vector; edits, inserts and deletes change it at post and delete. A post can
// be refused by `check_post`, as a server refuses a row.
class TMemoryDataSet : public TDataSet {
 public:
  TMemoryDataSet(std::vector<MemoryColumn> columns, std::vector<MemoryRow> rows)
      : columns(std::move(columns)), rows(std::move(rows)) {}
  ~TMemoryDataSet() override { Close(); }

  std::vector<MemoryColumn> columns;
  std::vector<MemoryRow> rows;
  bool sequenced = true;
  bool can_modify = true;
  std::function<void(const MemoryRow&)> check_post;
  int reads = 0;
  int posts = 0;

  int RecNo() const override {
    const Buf* b = Active();
    return b && b->flag == bfCurrent ? b->index + 1 : 0;
  }
  void SetRecNo(int value) override {
    CheckBrowseMode();
    value = std::clamp(value, 1, static_cast<int>(rows.size()));
    if (value == RecNo()) return;
    DoBeforeScroll();
    cursor_ = value - 1;
    Resync(true);
    DoAfterScroll();
  }
  int RecordCount() const override { return static_cast<int>(rows.size()); }
  bool IsSequenced() const override { return sequenced; }
  bool CanModify() const override { return can_modify; }

  bool GetFieldData(const TField* field, void* buffer) const override {
    const Buf* b = Active();
    if (!b || field->FieldNo() < 1) return false;
    const MemoryValue& value = b->values.at(field->FieldNo() - 1);
    if (!value) return false;
    std::memcpy(buffer, value->data(), value->size());
    if (field->DataType() == ftString) static_cast<char*>(buffer)[value->size()] = '\0';
    return true;
  }
  void SetFieldData(TField* field, const void* buffer) override {
    if (State() != dsEdit && State() != dsInsert) DatabaseError("Not in edit mode", this);
    Buf* b = Active();
    MemoryValue& value = b->values.at(field->FieldNo() - 1);
    if (!buffer)
      value.reset();
    else if (field->DataType() == ftString)
      value = std::string(static_cast<const char*>(buffer),
                          strnlen(static_cast<const char*>(buffer), field->DataSize() - 1));
    else
      value = std::string(static_cast<const char*>(buffer), field->DataSize());
    SetModified(true);
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
  }

  // The field of column `i` as the active row holds it.
  std::string Value(int i) { return Fields()[i]->AsString(); }

 protected:
  struct Buf {
    TBookmarkFlag flag = bfCurrent;
    int index = -1;
    MemoryRow values;
  };
  static Buf* B(TRecordBuffer b) { return reinterpret_cast<Buf*>(b); }
  Buf* Active() const { return ActiveBuffer() ? B(ActiveBuffer()) : nullptr; }

  TRecordBuffer AllocRecordBuffer() override { return reinterpret_cast<char*>(new Buf{}); }
  void FreeRecordBuffer(TRecordBuffer& b) override {
    delete B(b);
    b = nullptr;
  }
  TGetResult GetRecord(TRecordBuffer b, TGetMode mode, bool) override {
    const int n = static_cast<int>(rows.size());
    if (mode == gmNext) {
      if (cursor_ >= n - 1) {
        cursor_ = n;
        return grEOF;
      }
      ++cursor_;
    } else if (mode == gmPrior) {
      if (cursor_ <= 0) {
        cursor_ = -1;
        return grBOF;
      }
      --cursor_;
    } else if (cursor_ < 0 || cursor_ >= n) {
      return grError;
    }
    ++reads;
    *B(b) = Buf{bfCurrent, cursor_, rows[cursor_]};
    return grOK;
  }
  void InternalOpen() override {
    FieldDefs().Clear();
    for (const MemoryColumn& c : columns) FieldDefs().Add(c.name, c.type, c.size, false);
    CreateFields();
    BindFields(true);
    open_ = true;
    cursor_ = -1;
  }
  void InternalClose() override {
    BindFields(false);
    DestroyFields();
    open_ = false;
  }
  bool IsCursorOpen() const override { return open_; }
  void InternalInitFieldDefs() override {}
  void InternalFirst() override { cursor_ = -1; }
  void InternalLast() override { cursor_ = static_cast<int>(rows.size()); }
  void InternalSetToRecord(TRecordBuffer b) override { cursor_ = B(b)->index; }
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer b) const override { return B(b)->flag; }
  void SetBookmarkFlag(TRecordBuffer b, TBookmarkFlag f) override { B(b)->flag = f; }
  TBookmark GetBookmarkData(TRecordBuffer b) const override {
    TBookmark m(4);
    std::memcpy(m.data(), &B(b)->index, 4);
    return m;
  }
  void SetBookmarkData(TRecordBuffer b, const TBookmark& m) override {
    std::memcpy(&B(b)->index, m.data(), 4);
  }
  void InternalGotoBookmark(const TBookmark& m) override { std::memcpy(&cursor_, m.data(), 4); }
  void InternalInitRecord(TRecordBuffer b) override {
    B(b)->values.assign(columns.size(), std::nullopt);
  }
  void InternalPost() override {
    Buf* b = Active();
    if (check_post) check_post(b->values);
    if (State() == dsEdit) {
      rows.at(b->index) = b->values;
      cursor_ = b->index;
    } else {
      const int at = b->flag == bfInserted ? b->index : static_cast<int>(rows.size());
      rows.insert(rows.begin() + at, b->values);
      cursor_ = at;
    }
    ++posts;
  }
  // The cursor goes back to where it stood before the insert.
  void InternalAddRecord(TRecordBuffer b, bool append) override {
    cursor_before_insert_ = append ? static_cast<int>(rows.size()) - 1 : B(b)->index;
  }
  void InternalCancel() override {
    if (State() == dsInsert) cursor_ = cursor_before_insert_;
  }
  void InternalDelete() override { rows.erase(rows.begin() + Active()->index); }

 private:
  bool open_ = false;
  int cursor_ = -1;
  int cursor_before_insert_ = -1;
};

// The grid's usual columns: an integer, a five-character text, a boolean and a memo.
inline std::vector<MemoryColumn> ShopColumns() {
  return {{"ID", ftInteger}, {"NAME", ftString, 5}, {"OK", ftBoolean}, {"NOTES", ftMemo}};
}

inline std::vector<MemoryRow> ShopRows(int count) {
  std::vector<MemoryRow> rows;
  for (int i = 1; i <= count; ++i)
    rows.push_back(
        {Int(i), Text("n" + std::to_string(i)), Bool(i % 2 == 1), i == 1 ? Blob() : std::nullopt});
  return rows;
}
