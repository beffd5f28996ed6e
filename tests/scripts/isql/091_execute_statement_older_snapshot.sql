-- failures: 1
-- isql's pending transaction started before the table was made, and a statement run
-- dynamically looks names up in that transaction's snapshot: it finds the table only
-- after a commit starts a newer transaction.
create table cores (id smallint primary key, nome varchar(20));
set term ^ ;
execute block as
begin
  execute statement 'insert into cores values (2, ''verde'')';
end^
set term ; ^
commit;
set term ^ ;
execute block as
begin
  execute statement 'insert into cores values (3, ''azul'')';
end^
set term ; ^
insert into cores values (1, 'vermelho');
