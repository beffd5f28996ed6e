#include "data/core/parameter_buffer.h"

#include "data/errors/errors.h"

bool IsBlankOnly(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

std::string ParameterName(const std::string& written, const std::string& prefix) {
  std::string name = written;
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (name.rfind(prefix, 0) == 0) name.erase(0, prefix.size());
  return name;
}

void AppendCountedValue(std::string& buffer, int code, const std::string& value,
                        const std::string& constant) {
  if (value.size() > 255)
    RaiseClientError(ceWrappedException,
                     {"The value of " + constant + " is longer than 255 bytes"});
  buffer += static_cast<char>(code);
  buffer += static_cast<char>(value.size());
  buffer += value;
}

void CheckBufferLength(const std::string& buffer, const std::string& kind) {
  if (buffer.size() > 32767)
    RaiseClientError(ceWrappedException, {"The " + kind + " is too long: " +
                                          std::to_string(buffer.size()) + " bytes, at most 32767"});
}
