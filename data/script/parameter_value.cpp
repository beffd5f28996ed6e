#include "data/script/parameter_value.h"

#include <charconv>

#include "data/core/text.h"
#include "data/errors/errors.h"
#include "data/script/console_text.h"
#include "data/statement/xsqlda.h"

namespace {

// A text variable's length is in bytes; its declared length is in characters of its set,
// whose number is the subtype's low byte.
int Characters(const TIBXSQLVAR& var) {
  switch (var.SqlSubtype() & 0xFF) {
    case 3:  // UNICODE_FSS
      return var.Size() / 3;
    case 4:   // UTF8
    case 69:  // GB18030
      return var.Size() / 4;
    case 5:   // SJIS_0208
    case 6:   // EUCJ_0208
    case 44:  // KSC_5601
    case 56:  // BIG_5
    case 57:  // GB_2312
    case 67:  // GBK
    case 68:  // CP943C
      return var.Size() / 2;
    default:
      return var.Size();
  }
}

}  // namespace

std::string ParameterTypeName(const TIBXSQLVAR& var) {
  const int scale = var.SqlScale();
  auto numeric = [&](const char* name) {
    return scale < 0 ? "NUMERIC(" + std::to_string(-scale) + ")" : std::string(name);
  };
  switch (var.SqlType()) {
    case SQL_SHORT:
      return numeric("SMALLINT");
    case SQL_LONG:
      return numeric("INTEGER");
    case SQL_INT64:
      return numeric("BIGINT");
    case SQL_FLOAT:
      return "FLOAT";
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return "DOUBLE PRECISION";
    case SQL_TEXT:
      return "CHAR(" + std::to_string(Characters(var)) + ")";
    case SQL_VARYING:
      return "VARCHAR(" + std::to_string(Characters(var)) + ")";
    case SQL_TYPE_DATE:
      return "DATE";
    case SQL_TYPE_TIME:
      return "TIME";
    case SQL_TIMESTAMP:
      return "TIMESTAMP";
    case SQL_BLOB:
      return var.SqlSubtype() == 1 ? "BLOB SUB_TYPE TEXT" : "BLOB";
    case SQL_BOOLEAN:
      return "BOOLEAN";
    default:
      return "?";
  }
}

namespace {

[[noreturn]] void RaiseBadValue(const TParameterValue& value, const char* kind) {
  throw EConvertError("'" + value.text + "' não é " + kind + " válido para " + value.name + " (" +
                      value.type_name + ")");
}

}  // namespace

// Numbers and truth values are read here; the rest is text the engine reads.
TVariant ReadParameterValue(const TIBXSQLVAR& var, const TParameterValue& value) {
  if (value.is_null) return TVariant::Null();
  const std::string text = Trim(value.text);
  const bool scaled = var.SqlScale() < 0;
  switch (var.SqlType()) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
      if (scaled) break;  // the engine reads an exact decimal from its text
      int64_t number = 0;
      if (auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
          text.empty() || error != std::errc() || end != text.data() + text.size())
        RaiseBadValue(value, "um inteiro");
      return TVariant(number);
    }
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
      std::string dotted = text;
      for (char& c : dotted)
        if (c == ',') c = '.';
      double number = 0;
      if (auto [end, error] = std::from_chars(dotted.data(), dotted.data() + dotted.size(), number);
          dotted.empty() || error != std::errc() || end != dotted.data() + dotted.size())
        RaiseBadValue(value, "um número");
      return TVariant(number);
    }
    case SQL_BOOLEAN: {
      const std::string word = FirstWord(text);
      if (word == "TRUE" || word == "1") return TVariant(true);
      if (word == "FALSE" || word == "0") return TVariant(false);
      RaiseBadValue(value, "um booleano");
    }
    default:
      break;
  }
  return TVariant(value.text);  // text keeps its blanks
}
