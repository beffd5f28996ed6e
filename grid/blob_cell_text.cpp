#include "grid/blob_cell_text.h"

#include <ibase.h>

#include <cstring>

#include "data/core/charset.h"
#include "data/database/ib_base.h"
#include "data/dataset/ib_dataset.h"
#include "data/statement/blob_io.h"
#include "data/statement/long_call.h"
#include "grid/qt_text.h"

namespace {

// Enough bytes for a hundred characters of any set.
constexpr size_t kPrefixBytes = 400;
// Entries kept before the cache starts again.
constexpr size_t kCacheLimit = 4096;

}  // namespace

QString GroupedDigits(int64_t number) {
  QString digits = QString::number(number < 0 ? -number : number);
  for (int i = digits.size() - 3; i > 0; i -= 3) digits.insert(i, u'.');
  return number < 0 ? u'-' + digits : digits;
}

QString BinarySizeText(int64_t size) {
  return QStringLiteral("(binário, ") + GroupedDigits(size) +
         (size == 1 ? QStringLiteral(" byte)") : QStringLiteral(" bytes)"));
}

QString TextStart(const QString& text, int max_chars) {
  qsizetype end = text.indexOf(u'\n');
  const bool more_lines = end >= 0;
  if (!more_lines) end = text.size();
  if (end > 0 && text[end - 1] == u'\r') --end;
  QString start = text.left(std::min<qsizetype>(end, max_chars));
  if (start.size() < text.size()) start += u'…';
  return start;
}

QString TBlobCellText::Text(const TField& field) {
  TDataSet* dataset = field.DataSet();
  auto* ib = dynamic_cast<TIBCustomDataSet*>(dataset);
  const bool text = field.DataType() == ftMemo;
  ISC_QUAD id{};
  // A row being edited holds its blobs in memory; other datasets have no identifiers.
  if (!ib || dataset->State() == dsEdit || dataset->State() == dsInsert || !field.GetData(&id)) {
    const std::string contents = field.AsString();
    return text ? TextStart(ToQt(contents)) : BinarySizeText(static_cast<int64_t>(contents.size()));
  }
  std::string key(reinterpret_cast<const char*>(&id), sizeof id);
  key += text ? 'T' : 'B';
  key += std::to_string(field.CharSet());
  if (auto found = cache_.find(key); found != cache_.end()) return found->second;
  // A repaint during a long call must not wait for the connection the call holds.
  if (LongCallRunning()) return QStringLiteral("…");
  TIBBase base(nullptr);
  base.SetDatabase(ib->Database());
  base.SetTransaction(ib->Transaction());
  QString shown;
  if (text) {
    std::string bytes = ReadBlobContents(base, id, kPrefixBytes);
    const bool cut = bytes.size() >= kPrefixBytes;
    // A cut may split a character: the last bytes go until the rest decodes.
    std::string decoded;
    for (int drop = 0; drop < 4 && !bytes.empty(); ++drop) {
      try {
        decoded = DecodeText(bytes, field.CharSet());
        break;
      } catch (const EConvertError&) {
        if (!cut) throw;
        bytes.pop_back();
      }
    }
    shown = TextStart(ToQt(decoded));
    if (cut && !shown.endsWith(u'…')) shown += u'…';
  } else {
    shown = BinarySizeText(BlobLength(base, id));
  }
  if (cache_.size() >= kCacheLimit) cache_.clear();
  cache_.emplace(std::move(key), shown);
  return shown;
}
