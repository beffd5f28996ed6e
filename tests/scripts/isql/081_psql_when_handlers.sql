-- failures: 0
create exception e_valor 'Valor fora da faixa';
create table tentativas (id integer primary key, valor integer, resultado varchar(40));
create table unicos (v integer primary key);
set term ^ ;
create procedure tenta (p_id integer, p_valor integer) as
begin
  begin
    begin
      if (p_valor < 0) then exception e_valor;
      if (p_valor > 100) then p_valor = 1 / 0;
      insert into unicos values (:p_valor);
      insert into tentativas values (:p_id, :p_valor, 'ok');
      when exception e_valor do
        insert into tentativas values (:p_id, :p_valor, 'negativo');
      when sqlstate '23000' do
        insert into tentativas values (:p_id, :p_valor, 'repetido');
    end
    when any do
      insert into tentativas values (:p_id, :p_valor, 'outro: ' || sqlcode);
  end
end^
set term ; ^
execute procedure tenta 1, 10;
execute procedure tenta 2, -5;
execute procedure tenta 3, 10;
execute procedure tenta 4, 20;
execute procedure tenta 5, 500;
commit;
