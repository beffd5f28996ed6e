-- failures: 0
create table chamados (id integer not null primary key, assunto varchar(40));
set term ^ ;
execute block as
declare i integer = 1;
begin
  while (i <= 50) do
  begin
    insert into chamados values (:i, 'Chamado ' || :i);
    i = i + 1;
  end
end^
set term ; ^
delete from chamados

where ID = 42;
update chamados set assunto = 'Revisado'


where id in (1, 2);
commit;
