-- failures: 1
create table anotacoes (id integer primary key, texto varchar(100));
set term ^ ;
-- comentário com ^ circunflexo^ e ; ponto e vírgula
create procedure anota (p_id integer) as
  declare t varchar(100) = 'chapéu ^ dentro; da string';
begin
  /* bloco com ^ e ; e 'aspas' */
  insert into anotacoes values (:p_id, :t);
  insert into anotacoes values (:p_id + 1, q'{q-literal com ^ e ; e '}');
  insert into anotacoes values (:p_id + 2, 'fim'); -- ^ no comentário
end^
execute procedure anota 10^
-- ';' is not the terminator here: the two inserts below reach the server as one statement
insert into "ANOTACOES" values (20, 'identificador com aspas'); insert into anotacoes values (21, 'mesma linha')^
insert into anotacoes values (22, 'sozinha')^
set term ; ^
insert into anotacoes values (30, 'circunflexo ^ em modo normal');
commit;
