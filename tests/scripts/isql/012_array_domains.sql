-- failures: 0
-- Array columns: defined through domains and directly; their rows stay null here.
create domain d_trio as integer[0:2];
create domain d_grade as char(3)[1:2, 0:1];
create domain d_semana as numeric(6,2)[7];
create table matrizes (
  id integer not null primary key,
  trio d_trio,
  grade d_grade,
  semana d_semana,
  livre varchar(10)[-1:1],
  rotulo varchar(20)
);
insert into matrizes (id, rotulo) values (1, 'primeira');
insert into matrizes (id, rotulo) values (2, 'segunda');
update matrizes set rotulo = upper(rotulo) where id = 2;
commit;
