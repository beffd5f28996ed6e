-- failures: 0
create table etiquetas (id integer primary key, texto varchar(30));
insert into etiquetas values (1, 'primeira');
-- o comentário abaixo não deve engolir a instrução seguinte

insert into etiquetas values (2, 'segunda');
/* bloco */

insert into etiquetas values (3, 'terceira');
-- vários

-- comentários

-- separados
update etiquetas set texto = texto || '!' where id >= 2;
commit;
