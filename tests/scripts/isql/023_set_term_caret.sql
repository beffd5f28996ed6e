-- failures: 0
create table log_simples (id integer, msg varchar(80));

set term ^ ;

create procedure registra (p_id integer, p_msg varchar(80))
as
begin
  insert into log_simples values (:p_id, :p_msg);
end^

execute procedure registra 1, 'um; dois'^
insert into log_simples values (2, 'terminador ^ dentro da string')^

set term ; ^

execute procedure registra 3, 'de volta ao ponto e vírgula';
commit;
