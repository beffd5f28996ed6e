#include "data/core/charset.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <memory>
#include <utility>

#include "data/errors/errors.h"

namespace {

struct TCharSet {
  int id;
  const char* name;
  int bytes_per_char;
  const char* iconv_name;  // null: handled here, or not convertible
};

// Firebird's own numbers and names, with the conversion's name for each.
constexpr TCharSet kCharSets[] = {
    {0, "NONE", 1, nullptr},
    {1, "OCTETS", 1, nullptr},
    {2, "ASCII", 1, nullptr},
    {3, "UNICODE_FSS", 3, nullptr},
    {4, "UTF8", 4, nullptr},
    {5, "SJIS_0208", 2, "SHIFT_JIS"},
    {6, "EUCJ_0208", 2, "EUC-JP"},
    {9, "DOS737", 1, "CP737"},
    {10, "DOS437", 1, "CP437"},
    {11, "DOS850", 1, "CP850"},
    {12, "DOS865", 1, "CP865"},
    {13, "DOS860", 1, "CP860"},
    {14, "DOS863", 1, "CP863"},
    {15, "DOS775", 1, "CP775"},
    {16, "DOS858", 1, "CP858"},
    {17, "DOS862", 1, "CP862"},
    {18, "DOS864", 1, "CP864"},
    {19, "NEXT", 1, "NEXTSTEP"},
    {21, "ISO8859_1", 1, nullptr},
    {22, "ISO8859_2", 1, "ISO-8859-2"},
    {23, "ISO8859_3", 1, "ISO-8859-3"},
    {34, "ISO8859_4", 1, "ISO-8859-4"},
    {35, "ISO8859_5", 1, "ISO-8859-5"},
    {36, "ISO8859_6", 1, "ISO-8859-6"},
    {37, "ISO8859_7", 1, "ISO-8859-7"},
    {38, "ISO8859_8", 1, "ISO-8859-8"},
    {39, "ISO8859_9", 1, "ISO-8859-9"},
    {40, "ISO8859_13", 1, "ISO-8859-13"},
    {44, "KSC_5601", 2, "EUC-KR"},
    {45, "DOS852", 1, "CP852"},
    {46, "DOS857", 1, "CP857"},
    {47, "DOS861", 1, "CP861"},
    {48, "DOS866", 1, "CP866"},
    {49, "DOS869", 1, "CP869"},
    {50, "CYRL", 1, nullptr},
    {51, "WIN1250", 1, "CP1250"},
    {52, "WIN1251", 1, "CP1251"},
    {53, "WIN1252", 1, "CP1252"},
    {54, "WIN1253", 1, "CP1253"},
    {55, "WIN1254", 1, "CP1254"},
    {56, "BIG_5", 2, "BIG5"},
    {57, "GB_2312", 2, "GB2312"},
    {58, "WIN1255", 1, "CP1255"},
    {59, "WIN1256", 1, "CP1256"},
    {60, "WIN1257", 1, "CP1257"},
    {63, "KOI8R", 1, "KOI8-R"},
    {64, "KOI8U", 1, "KOI8-U"},
    {65, "WIN1258", 1, "CP1258"},
    {66, "TIS620", 1, "TIS-620"},
    {67, "GBK", 2, "GBK"},
    {68, "CP943C", 2, "CP932"},
    {69, "GB18030", 4, "GB18030"},
};

const TCharSet* Find(int id) {
  for (const TCharSet& set : kCharSets)
    if (set.id == id) return &set;
  return nullptr;
}

std::string NameForMessage(int id) {
  const std::string name = CharSetName(id);
  return name.empty() ? "character set " + std::to_string(id) : name;
}

// The code point starting at text[i], and how many bytes it takes; -1 when broken.
std::pair<long, size_t> NextCodePoint(std::string_view text, size_t i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) return {c, 1};
  const size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
  if (n == 0 || i + n > text.size()) return {-1, 1};
  long code = c & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return {-1, 1};
    code = (code << 6) | (next & 0x3F);
  }
  return {code, n};
}

[[noreturn]] void RaiseCannotHold(std::string_view text, size_t at, int id) {
  const long code = NextCodePoint(text, at).first;
  throw EConvertError(
      Format("Character U+%04X cannot be represented in %s",
             {static_cast<long long>(code < 0 ? 0xFFFD : code), NameForMessage(id)}));
}

// One conversion descriptor per direction and set, kept for the thread.
class TConverter {
 public:
  TConverter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~TConverter() {
    if (valid()) iconv_close(handle_);
  }
  TConverter(const TConverter&) = delete;
  TConverter& operator=(const TConverter&) = delete;
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  // False at the first byte the target cannot take; `failed_at` is its input offset.
  bool Run(std::string_view in, std::string& out, size_t& failed_at) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    out.clear();
    char* source = const_cast<char*>(in.data());
    size_t left = in.size();
    char buffer[256];
    while (left > 0) {
      char* target = buffer;
      size_t room = sizeof buffer;
      const size_t result = iconv(handle_, &source, &left, &target, &room);
      out.append(buffer, static_cast<size_t>(target - buffer));
      if (result == static_cast<size_t>(-1) && errno != E2BIG) {
        failed_at = static_cast<size_t>(source - in.data());
        return false;
      }
    }
    char* target = buffer;
    size_t room = sizeof buffer;
    iconv(handle_, nullptr, nullptr, &target, &room);
    out.append(buffer, static_cast<size_t>(target - buffer));
    return true;
  }

 private:
  iconv_t handle_;
};

TConverter& ConverterFor(int id, bool to_utf8) {
  thread_local std::map<std::pair<int, bool>, std::unique_ptr<TConverter>> converters;
  auto& slot = converters[{id, to_utf8}];
  if (!slot) {
    const TCharSet* set = Find(id);
    // Never iconv's "": that is the locale's own set, and would pass text through as if
    // it were this one.
    const char* name = set && set->iconv_name ? set->iconv_name : "TAVREL-NO-CONVERSION";
    slot = to_utf8 ? std::make_unique<TConverter>("UTF-8", name)
                   : std::make_unique<TConverter>(name, "UTF-8");
  }
  if (!slot->valid())
    throw EConvertError(Format("Character set %s is not supported", {NameForMessage(id)}));
  return *slot;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int CharSetIdOf(std::string_view name) {
  for (const TCharSet& set : kCharSets) {
    const std::string_view known = set.name;
    if (known.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < known.size() && same; ++i) {
      char c = name[i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      same = c == known[i];
    }
    if (same) return set.id;
  }
  return -1;
}

bool CanConvertCharSet(int id) {
  if (id == csNone || id == csOctets || id == 2 || id == 3 || id == csUtf8 || id == csIso8859_1)
    return true;
  try {
    ConverterFor(id, true);
    ConverterFor(id, false);
    return true;
  } catch (const EConvertError&) {
    return false;
  }
}

std::string CharSetName(int id) {
  const TCharSet* set = Find(id);
  return set ? set->name : "";
}

int BytesPerChar(int id) {
  const TCharSet* set = Find(id);
  return set ? set->bytes_per_char : 1;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto [code, length] = NextCodePoint(text, i);
    if (code < 0) return false;
    i += length;
  }
  return true;
}

size_t Utf8Length(std::string_view text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); i += NextCodePoint(text, i).second) ++count;
  return count;
}

std::string_view Utf8Prefix(std::string_view text, size_t count) {
  size_t i = 0;
  for (; i < text.size() && count > 0; --count) i += NextCodePoint(text, i).second;
  return text.substr(0, i);
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

std::string Utf8ToLatin1(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto [code, length] = NextCodePoint(text, i);
    if (code < 0 || code > 0xFF) RaiseCannotHold(text, i, csIso8859_1);
    out += static_cast<char>(code);
    i += length;
  }
  return out;
}

std::string DecodeText(std::string_view bytes, int id, int legacy) {
  if (id == csNone) id = legacy == csNone ? csIso8859_1 : legacy;
  switch (id) {
    case csUtf8:
    case csUnicodeFss:
    case csAscii:
      return std::string(bytes);
    case csIso8859_1:
      return Latin1ToUtf8(bytes);
    case csOctets: {
      static const char kDigits[] = "0123456789ABCDEF";
      std::string out;
      out.reserve(bytes.size() * 2);
      for (char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        out += kDigits[u >> 4];
        out += kDigits[u & 0x0F];
      }
      return out;
    }
    default: {
      std::string out;
      size_t failed_at = 0;
      if (!ConverterFor(id, true).Run(bytes, out, failed_at))
        throw EConvertError(Format(
            "Byte %02X is not a character of %s",
            {static_cast<int>(static_cast<unsigned char>(bytes[failed_at])), NameForMessage(id)}));
      return out;
    }
  }
}

std::string EncodeText(std::string_view text, int id, int legacy) {
  if (id == csNone) id = legacy == csNone ? csIso8859_1 : legacy;
  switch (id) {
    case csUtf8:
    case csUnicodeFss:
      return std::string(text);
    case csAscii:
      for (size_t i = 0; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80) RaiseCannotHold(text, i, id);
      return std::string(text);
    case csIso8859_1:
      return Utf8ToLatin1(text);
    case csOctets: {
      if (text.size() % 2 != 0)
        throw EConvertError(Format("'%s' is not hexadecimal bytes", {std::string(text)}));
      std::string out;
      out.reserve(text.size() / 2);
      for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
          throw EConvertError(Format("'%s' is not hexadecimal bytes", {std::string(text)}));
        out += static_cast<char>(high * 16 + low);
      }
      return out;
    }
    default: {
      std::string out;
      size_t failed_at = 0;
      if (!ConverterFor(id, false).Run(text, out, failed_at)) RaiseCannotHold(text, failed_at, id);
      return out;
    }
  }
}
