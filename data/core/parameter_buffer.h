// What the connection's and the transaction's parameter buffers share: reading the
// lines' names and appending counted values.
#pragma once

#include <string>

// True when the text holds nothing above a blank.
bool IsBlankOnly(const std::string& text);

// The name as looked up: ASCII lower-cased (not trimmed), without a leading `prefix`.
std::string ParameterName(const std::string& written, const std::string& prefix);

// Appends the code, one length byte and the value. A value over 255 bytes would be cut
// short by its length byte, so it is refused with a client error naming `constant`.
void AppendCountedValue(std::string& buffer, int code, const std::string& value,
                        const std::string& constant);

// The client library reads a buffer's length as a 16-bit signed value, so a longer one
// is refused with a client error naming the buffer ("DPB", "TPB").
void CheckBufferLength(const std::string& buffer, const std::string& kind);
