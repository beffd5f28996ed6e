-- failures: 0
set names utf8;
create table palavras (
  id integer primary key,
  russo varchar(40),
  grego varchar(40),
  letra char(1),
  nota blob sub_type text
);
insert into palavras values (1, 'Привет, мир', 'Γειά σου Κόσμε', 'Ж', 'Съешь же ещё этих мягких французских булок');
insert into palavras values (2, 'Москва', 'Αθήνα', 'Ω', 'Ξεσκεπάζω την ψυχοφθόρα βδελυγμία');
insert into palavras values (3, 'ёлка', 'ελιά', 'λ', null);
update palavras set russo = upper(russo), grego = upper(grego) where id = 3;
insert into palavras select id + 10, lower(russo), lower(grego), letra, nota from palavras where id < 3;
commit;
