-- failures: 0
create table meses (n smallint primary key, nome varchar(12));
-- isql's pending transaction predates the table; execute statement needs a newer one
commit;
set term ^ ;
execute block as
  declare nomes varchar(200) = 'janeiro,fevereiro,março,abril,maio,junho,';
  declare i smallint = 1;
  declare p integer;
begin
  while (char_length(nomes) > 0) do
  begin
    p = position(',' in nomes);
    execute statement ('insert into meses values (?, ?)') (i, substring(nomes from 1 for p - 1));
    nomes = substring(nomes from p + 1);
    i = i + 1;
  end
  execute statement 'create table meses_copia (n smallint, nome varchar(12))';
end^
set term ; ^
commit;
set term ^ ;
execute block as
begin
  execute statement 'insert into meses_copia select n, upper(nome) from meses where n <= 3';
  execute statement ('update meses set nome = :novo where n = :n') (novo := 'MARÇO', n := 3);
end^
set term ; ^
commit;
