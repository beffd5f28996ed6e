// A one-row in-memory dataset that stores each field's native bytes, for the field tests
// and the fields' fuzz target.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/dataset/dataset.h"

// One row: each field's native bytes by field index, or null.
class MemoryDataSet : public TDataSet {
 public:
  std::map<int, std::vector<char>> values;
  std::map<int, std::string> blobs;

  bool GetFieldData(const TField* field, void* buffer) const override {
    auto it = values.find(field->Index());
    if (it == values.end()) return false;
    std::memcpy(buffer, it->second.data(), it->second.size());
    return true;
  }
  void SetFieldData(TField* field, const void* buffer) override {
    if (!buffer) {
      values.erase(field->Index());
      return;
    }
    const char* bytes = static_cast<const char*>(buffer);
    values[field->Index()].assign(bytes, bytes + field->DataSize());
  }
  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override {
    std::string& contents = blobs[field->Index()];
    if (mode == bmWrite) {
      contents.clear();
      values[field->Index()].assign(8, '\1');
    }
    return std::make_unique<StringStream>(contents);
  }

  template <typename T>
  void Put(const TField* field, T native) {
    std::vector<char>& bytes = values[field->Index()];
    bytes.resize(sizeof native);
    std::memcpy(bytes.data(), &native, sizeof native);
  }
  template <typename T>
  T Get(const TField* field) const {
    T native{};
    std::memcpy(&native, values.at(field->Index()).data(), sizeof native);
    return native;
  }

 protected:
  struct StringStream : TStream {
    explicit StringStream(std::string& s) : text(s) {}
    int64_t Read(void* buffer, int64_t count) override {
      int64_t n = std::min<int64_t>(count, static_cast<int64_t>(text.size()) - pos);
      std::memcpy(buffer, text.data() + pos, static_cast<size_t>(n));
      pos += n;
      return n;
    }
    int64_t Write(const void* buffer, int64_t count) override {
      text.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
      return count;
    }
    int64_t Seek(int64_t offset, TSeekOrigin) override { return pos = offset; }
    int64_t Size() override { return static_cast<int64_t>(text.size()); }
    void SetSize(int64_t size) override { text.resize(static_cast<size_t>(size)); }
    std::string& text;
    int64_t pos = 0;
  };

  TRecordBuffer AllocRecordBuffer() override { return nullptr; }
  void FreeRecordBuffer(TRecordBuffer&) override {}
  TGetResult GetRecord(TRecordBuffer, TGetMode, bool) override { return grEOF; }
  void InternalOpen() override {}
  void InternalClose() override {}
  bool IsCursorOpen() const override { return false; }
  void InternalInitFieldDefs() override {}
  void InternalFirst() override {}
  void InternalLast() override {}
  void InternalSetToRecord(TRecordBuffer) override {}
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer) const override { return bfCurrent; }
  void SetBookmarkFlag(TRecordBuffer, TBookmarkFlag) override {}
  TBookmark GetBookmarkData(TRecordBuffer) const override { return {}; }
  void SetBookmarkData(TRecordBuffer, const TBookmark&) override {}
  void InternalGotoBookmark(const TBookmark&) override {}
};
