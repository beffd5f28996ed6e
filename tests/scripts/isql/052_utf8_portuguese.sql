-- failures: 0
set names utf8;
create table receitas (
  id integer primary key,
  titulo varchar(60),
  rendimento char(12),
  modo_preparo blob sub_type text
);
insert into receitas values (1, 'Pão de queijo', '20 porções', 'Misture o polvilho, o leite e o óleo;
acrescente os ovos e o queijo ralado. Asse até dourar.');
insert into receitas values (2, 'Feijoada à brasileira', '8 pessoas', 'Deixe o feijão de molho; cozinhe com as carnes.');
insert into receitas values (3, 'Açaí na tigela', 'ÚNICA', null);
update receitas set titulo = upper(titulo) where id = 3;
update receitas set modo_preparo = 'Bata a polpa congelada com guaraná.' where modo_preparo is null;
commit;
