-- failures: 0
create table contador (nome varchar(20) primary key, valor integer);
set term # ;
create procedure incrementa (p varchar(20)) as begin
  update or insert into contador (nome, valor)
    values (:p, coalesce((select valor from contador where nome = :p), 0) + 1)
    matching (nome);
end#
execute procedure incrementa 'a'#
execute procedure incrementa 'a'#
execute procedure incrementa 'b'#
set term ; #
set TERM $$ ;
execute block as begin execute procedure incrementa 'c'; end$$
Set Term ;$$
commit;
