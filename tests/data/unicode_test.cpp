// Text in every character set, against real databases: a UTF8 database with any script
// in values and names, a NONE database of older one-byte programs with a WIN1252
// column, OCTETS, and the conversions at the client edge on their own.
#include <gtest/gtest.h>

#include <memory>

#include "data/core/charset.h"
#include "data/database/database.h"
#include "data/dataset/query.h"
#include "data/dataset/table.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"
#include "support/expect_error.h"
#include "support/temp_database.h"

namespace {

// A connection in the given character set.
struct Link {
  Link(const std::string& path, const std::string& charset) {
    db.SetLoginPrompt(false);
    db.SetDatabaseName(path);
    db.Params().Add("user_name=SYSDBA");
    db.Params().Add("lc_ctype=" + charset);
    db.SetDefaultTransaction(&tr);
    db.SetConnected(true);
    tr.StartTransaction();
  }
  std::string One(const std::string& sql) {
    TIBSQL q;
    q.SetDatabase(&db);
    q.SQL().Add(sql);
    q.ExecQuery();
    return q.Eof() ? "<no row>" : q.Fields(0).IsNull() ? "<null>" : q.Fields(0).AsString();
  }
  void Run(const std::string& sql) {
    TIBSQL q;
    q.SetDatabase(&db);
    q.SQL().Add(sql);
    q.ExecQuery();
  }
  TIBDatabase db;
  TIBTransaction tr;
};

const char kPortuguese[] = "Ação é útil";
const char kCyrillic[] = "Жизнь";
const char kChinese[] = "中文字";
const char kEmoji[] = "😀👍";

TempDatabaseOptions Utf8Database() {
  TempDatabaseOptions options;
  options.charset = "UTF8";
  options.names = "UTF8";
  options.setup =
      "create table \"Notas Fiscais\" (\"Número\" integer not null primary key, "
      "\"Descrição\" varchar(20), C char(3), M blob sub_type text, L varchar(10) character "
      "set ISO8859_1, O char(3) character set OCTETS);\n"
      "insert into \"Notas Fiscais\" values (1, 'Ação é útil', 'é', 'Жизнь и 中文 😀', 'ç', "
      "x'00FF10');\n"
      "insert into \"Notas Fiscais\" values (2, 'Жизнь', 'Ж', null, null, null);\n"
      "insert into \"Notas Fiscais\" values (3, '中文字', '中', null, null, null);\n"
      "insert into \"Notas Fiscais\" values (4, '😀👍', '😀', null, null, null);\n";
  return options;
}

TEST(Charset, ConversionsAtTheEdgeAreExactOrRefused) {
  EXPECT_EQ(DecodeText("\xE9", csIso8859_1), "é");
  EXPECT_EQ(EncodeText("é", csIso8859_1), "\xE9");
  EXPECT_EQ(DecodeText("\x80", CharSetIdOf("WIN1252")), "€");
  EXPECT_EQ(EncodeText("€", CharSetIdOf("win1252")), "\x80");
  EXPECT_EQ(DecodeText("\xC6", CharSetIdOf("WIN1251")), "Ж");
  EXPECT_EQ(DecodeText("\xE9", csNone), "é") << "NONE bytes read as ISO8859_1";
  EXPECT_EQ(DecodeText("\xC6", csNone, CharSetIdOf("WIN1251")), "Ж") << "or as the set chosen";
  EXPECT_EQ(DecodeText(std::string("\x00\xFF\x10", 3), csOctets), "00FF10");
  EXPECT_EQ(EncodeText("00ff10", csOctets), std::string("\x00\xFF\x10", 3));
  EXPECT_THROW(EncodeText("0G", csOctets), EConvertError);
  EXPECT_EQ(MessageOf<EConvertError>([] { EncodeText("a中", csIso8859_1); }),
            "Character U+4E2D cannot be represented in ISO8859_1");
  EXPECT_THROW(EncodeText("中", CharSetIdOf("WIN1251")), EConvertError);
  EXPECT_EQ(MessageOf<EConvertError>([] { EncodeText("Ж", csIso8859_1); }),
            "Character U+0416 cannot be represented in ISO8859_1");
  EXPECT_THROW(DecodeText("\x81", CharSetIdOf("WIN1252")), EConvertError) << "undefined byte";
  EXPECT_EQ(Utf8Length(kEmoji), 2u);
  EXPECT_EQ(Utf8Prefix("é中😀x", 3), "é中😀");
  EXPECT_EQ(BytesPerChar(csUtf8), 4);
  EXPECT_EQ(CharSetName(CharSetIdOf("KOI8R")), "KOI8R");
  EXPECT_EQ(CharSetIdOf("no such set"), -1);
  // A set nothing here converts is refused, never passed through as the locale's own:
  // "Жизнь" once went to the server as ten wrong characters.
  EXPECT_FALSE(CanConvertCharSet(CharSetIdOf("CYRL")));
  EXPECT_THROW(EncodeText("Жизнь", CharSetIdOf("CYRL")), EConvertError);
  EXPECT_THROW(DecodeText("\xC6", CharSetIdOf("CYRL")), EConvertError);
  EXPECT_TRUE(CanConvertCharSet(CharSetIdOf("WIN1251")));
  EXPECT_TRUE(CanConvertCharSet(csNone));
  EXPECT_TRUE(CanConvertCharSet(csUtf8));
}

TEST(Unicode, AUtf8DatabaseReadsAndWritesEveryScriptByItsNames) {
  TempDatabase file(Utf8Database());
  Link c(file.Path(), "UTF8");
  TIBTable t;
  t.SetDatabase(&c.db);
  t.SetTableName("Notas Fiscais");
  t.Open();
  ASSERT_NE(t.FindField("Descrição"), nullptr);
  TField* text = t.FieldByName("Descrição");
  EXPECT_EQ(text->Size(), 20) << "characters, not bytes";
  EXPECT_EQ(text->AsString(), kPortuguese);
  EXPECT_EQ(t.FieldByName("C")->AsString(), "é  ") << "padded by characters";
  EXPECT_EQ(t.FieldByName("M")->AsString(), "Жизнь и 中文 😀");
  EXPECT_EQ(t.FieldByName("L")->AsString(), "ç");
  EXPECT_EQ(t.FieldByName("O")->AsString(), "00FF10");
  const std::vector<std::string> scripts = {kPortuguese, kCyrillic, kChinese, kEmoji};
  for (const std::string& expected : scripts) {
    EXPECT_EQ(text->AsString(), expected);
    t.Next();
  }

  // Twenty characters of four bytes each fit a VARCHAR(20); a twenty-first does not.
  t.First();
  t.Edit();
  std::string twenty;
  for (int i = 0; i < 20; ++i) twenty += "😀";
  text->SetAsString(twenty);
  EXPECT_THROW(text->SetAsString(twenty + "x"), EDatabaseError);
  t.FieldByName("C")->SetAsString("中文");
  t.FieldByName("M")->SetAsString("Новый 文本");
  t.Post();
  c.tr.CommitRetaining();
  EXPECT_EQ(c.One("select char_length(\"Descrição\") from \"Notas Fiscais\" where \"Número\" = 1"),
            "20");
  EXPECT_EQ(c.One("select \"Descrição\" from \"Notas Fiscais\" where \"Número\" = 1"), twenty);
  EXPECT_EQ(c.One("select O from \"Notas Fiscais\" where \"Número\" = 1 and O = x'00FF10'"),
            "00FF10")
      << "an edit of other columns leaves the OCTETS bytes as they were";

  // Inserted and deleted by the quoted names the statements are made of.
  t.Append();
  t.FieldByName("Número")->SetAsInteger(5);
  text->SetAsString("Ünïcödé");
  t.FieldByName("O")->SetAsString("0A0B0C");
  t.Post();
  EXPECT_EQ(c.One("select \"Descrição\" from \"Notas Fiscais\" where O = x'0A0B0C'"), "Ünïcödé");
  t.Delete();
  EXPECT_EQ(c.One("select count(*) from \"Notas Fiscais\""), "4");

  // What a column's set cannot hold gets the engine's error on post; the edit stays.
  t.First();
  t.Edit();
  t.FieldByName("L")->SetAsString("中");
  EXPECT_THROW(t.Post(), EIBInterBaseError);
  EXPECT_EQ(t.State(), dsEdit);
  EXPECT_EQ(t.FieldByName("L")->AsString(), "中");
  t.Cancel();
  c.tr.Commit();
  c.db.SetConnected(false);

  // isql, in its own connection, reads the bytes that were written.
  const std::string isql = file.RunSql(
      "set heading off;\nselect C || '|' || M from \"Notas Fiscais\" where \"Número\" = 1;",
      "SYSDBA", "UTF8");
  EXPECT_NE(isql.find("中文 |Новый 文本"), std::string::npos) << isql;
}

TEST(Unicode, SqlTextAndParametersCarryAnyScript) {
  TempDatabase file(Utf8Database());
  Link c(file.Path(), "UTF8");
  c.Run("update \"Notas Fiscais\" set \"Descrição\" = 'Съешь 中 😀' where \"Número\" = 2");
  TIBQuery q;
  q.SetDatabase(&c.db);
  q.SQL().Add("select \"Número\", \"Descrição\" from \"Notas Fiscais\" where \"Descrição\" = :D");
  q.ParamByName("D").SetAsString("Съешь 中 😀");
  q.Open();
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.FieldByName("Número")->AsInteger(), 2);
  EXPECT_EQ(q.Fields()[1]->FieldName(), "Descrição");
}

TEST(Unicode, ANoneDatabaseKeepsTheBytesOlderProgramsWrote) {
  TempDatabaseOptions options;
  options.charset = "NONE";
  options.setup =
      "create table OLD (ID integer not null primary key, N varchar(10), W varchar(10) "
      "character set WIN1252);\n"
      "insert into OLD values (1, x'C7E3', _WIN1252 x'E7E3');\n"
      "insert into OLD values (2, 'x', _WIN1252 x'80');\n";
  TempDatabase file(options);
  {
    Link c(file.Path(), "ISO8859_1");
    TIBTable t;
    t.SetDatabase(&c.db);
    t.SetTableName("OLD");
    t.Open();
    EXPECT_EQ(t.FieldByName("N")->AsString(), "Çã");
    EXPECT_EQ(t.FieldByName("W")->AsString(), "çã");
    t.Edit();
    t.FieldByName("N")->SetAsString("São");
    t.Post();
    EXPECT_EQ(c.One("select count(*) from OLD where N = x'53E36F'"), "1") << "Latin-1 bytes";
    // A literal typed in SQL reaches the NONE column as those programs wrote it.
    c.Run("update OLD set N = 'é' where ID = 2");
    EXPECT_EQ(c.One("select count(*) from OLD where N = x'E9'"), "1");
    // "€" has no place in ISO8859_1: the row says so; the rows before it stay.
    EXPECT_THROW(t.Next(), EIBInterBaseError);
    EXPECT_EQ(t.RecordCount(), 1);
    EXPECT_EQ(t.FieldByName("N")->AsString(), "São");
  }
  // Connected in WIN1252, its column reads whole and NONE bytes read in that set.
  Link c(file.Path(), "WIN1252");
  EXPECT_EQ(c.One("select W from OLD where ID = 2"), "€");
  EXPECT_EQ(c.One("select N from OLD where ID = 1"), "São");
}

}  // namespace
