-- failures: 0
create table frases (id integer primary key, texto varchar(100));
insert into frases values (1, q'{Chaves: ponto; e 'aspa' sozinha}');
insert into frases values (2, q'[Colchetes: it's; fim]');
insert into frases values (3, q'(Parênteses; 'x' e mais ')');
insert into frases values (4, q'<Menor/maior; o'clock>');
insert into frases values (5, q'!Exclamação; com ' no meio!');
insert into frases values (6, Q'{maiúsculo q; {aninhado}}');
insert into frases values (7, q'#cerquilha; '#');
update frases set texto = texto || q'{ -- não é comentário; }' where id = 1;
commit;
