#include "data/dataset/params.h"

#include <strings.h>

#include "data/dataset/dataset.h"

void TParam::SetValue(const TVariant& value) {
  if (data_type_ == ftUnknown) {
    switch (value.VarType()) {
      case varSmallint:
        data_type_ = ftSmallint;
        break;
      case varInteger:
      case varByte:
        data_type_ = ftInteger;
        break;
      case varInt64:
        data_type_ = ftLargeint;
        break;
      case varSingle:
      case varDouble:
        data_type_ = ftFloat;
        break;
      case varCurrency:
        data_type_ = ftCurrency;
        break;
      case varDate:
        data_type_ = ftDateTime;
        break;
      case varBoolean:
        data_type_ = ftBoolean;
        break;
      case varString:
        data_type_ = ftString;
        break;
      default:
        break;
    }
  }
  value_ = value;
  bound_ = true;
}

void TParam::Assign(TFieldType type, const TVariant& value) {
  data_type_ = type;
  value_ = value;
  bound_ = true;
}

TParam& TParams::Add(const std::string& name) {
  items_.push_back(std::make_unique<TParam>(name));
  return *items_.back();
}

TParam* TParams::FindParam(const std::string& name) const {
  for (const auto& item : items_)
    if (strcasecmp(item->Name().c_str(), name.c_str()) == 0) return item.get();
  return nullptr;
}

TParam& TParams::ParamByName(const std::string& name) const {
  TParam* param = FindParam(name);
  if (!param) DatabaseErrorFmt("Parameter '%s' not found", {name});
  return *param;
}

void TParams::AssignValues(const TParams& source) {
  for (const auto& item : items_) {
    const TParam* from = source.FindParam(item->Name());
    if (!from) continue;
    item->SetDataType(from->DataType());
    item->SetValue(from->Value());
    item->SetBound(from->Bound());
  }
}

namespace {

bool IsQuote(char c) {
  return c == '"' || c == '\'' || c == '`';
}

bool EndsName(char c) {
  return c == ' ' || c == '\r' || c == '\n' || c == ',' || c == ';' || c == ')' || c == '\t';
}

}  // namespace

// The text is ISO8859_1, one byte per character, so no character spans two bytes.
std::string ParseParamMarkers(const std::string& text, TParams* params) {
  std::string out;
  out.reserve(text.size());
  bool literal = false;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (IsQuote(c)) {
      literal = !literal;
      out += c;
      ++i;
      continue;
    }
    if (literal || c != ':') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == ':') {
      out += ':';
      i += 2;
      continue;
    }
    // A marker: its name runs to a delimiter; quotes inside let a name hold delimiters.
    size_t end = i + 1;
    bool quoted = false;
    while (end < text.size() && (quoted || !EndsName(text[end]))) {
      if (IsQuote(text[end])) quoted = !quoted;
      ++end;
    }
    std::string name = text.substr(i + 1, end - i - 1);
    if (!name.empty() && IsQuote(name.front())) {
      name.erase(0, 1);
      if (!name.empty() && IsQuote(name.back())) name.pop_back();
    }
    if (params) params->Add(name);
    out += '?';
    i = end;
  }
  return out;
}
