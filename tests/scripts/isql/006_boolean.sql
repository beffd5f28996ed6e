-- failures: 0
create table tarefas (
  id integer not null primary key,
  titulo varchar(50),
  feita boolean default false not null,
  urgente boolean,
  constraint ck_urgente check (urgente is not false or feita is not null)
);
insert into tarefas (id, titulo) values (1, 'Comprar pão');
insert into tarefas values (2, 'Pagar contas', true, true);
insert into tarefas values (3, 'Ler livro', false, null);
insert into tarefas values (4, 'Ligar', false, false);
update tarefas set feita = not feita where urgente is unknown;
update tarefas set urgente = (id > 2) where urgente is null;
delete from tarefas where feita and not urgente;
