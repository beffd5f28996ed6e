// An ordered list of text lines, with name=value access and change events.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TStringList {
 public:
  TStringList() = default;
  TStringList(std::initializer_list<std::string> lines) : lines_(lines) {}
  // Copies the lines only; the events stay with their own list.
  TStringList(const TStringList& other) : lines_(other.lines_) {}
  TStringList& operator=(const TStringList& other) {
    Assign(other);
    return *this;
  }

  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string& Strings(int index) const { return lines_.at(index); }
  void SetStrings(int index, const std::string& line);
  int Add(const std::string& line);
  void Insert(int index, const std::string& line);
  void Delete(int index);
  void Clear();
  void Assign(const TStringList& other);
  int IndexOf(const std::string& line) const;

  // The lines joined, each ended by a line break.
  std::string Text() const;
  // Splits at CR LF, LF or CR; a final line break makes no empty last line.
  void SetText(const std::string& text);

  // name=value lines: the name is the text before the first "=".
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  int IndexOfName(const std::string& name) const;
  std::string Values(const std::string& name) const;

  // Changes between BeginUpdate and EndUpdate fire the events once, at the end.
  void BeginUpdate();
  void EndUpdate();

  // OnChanging fires before each change and may throw to refuse it; OnChange after.
  std::function<void(TStringList&)> OnChanging;
  std::function<void(TStringList&)> OnChange;

  const std::vector<std::string>& Lines() const { return lines_; }
  bool operator==(const TStringList& other) const { return lines_ == other.lines_; }

 private:
  void Changing();
  void Changed();

  std::vector<std::string> lines_;
  int update_count_ = 0;
};
