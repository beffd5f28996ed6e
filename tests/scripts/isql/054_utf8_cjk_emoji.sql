-- failures: 0
set names utf8;
create table mensagens (
  id integer primary key,
  texto varchar(50),
  simbolo char(2),
  corpo blob sub_type text
);
insert into mensagens values (1, '你好，世界', '中文', '这是一个测试；包含分号。');
insert into mensagens values (2, 'こんにちは', 'あ', 'カタカナとひらがな');
insert into mensagens values (3, '안녕하세요', '한', null);
insert into mensagens values (4, 'Festa 🎉 hoje', '😀', 'Emoji no blob: 🚀🔥 e texto; fim');
insert into mensagens values (5, 'Mistura: ação, Ωμέγα, 東京, 👍', 'ç', '');
update mensagens set corpo = texto || ' ' || simbolo where corpo is null;
commit;
