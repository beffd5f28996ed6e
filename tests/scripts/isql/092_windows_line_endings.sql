-- failures: 1
-- Windows line endings throughout.
create table crlf_linhas (id integer primary key,
  texto varchar(40));
insert into crlf_linhas values (1, 'primeira');

insert into crlf_linhas values (1, 'repetida');
set term ^ ;
create procedure crlf_proc as
begin
  insert into crlf_linhas values (2, 'do procedimento');
end^
set term ; ^
execute procedure crlf_proc;
delete from crlf_linhas

where id = 1;
commit;
