-- failures: 0
create table pessoas (id integer primary key, nome varchar(40), cidade smallint);
create table cidades_ref (id smallint primary key, nome varchar(40) unique);
create view v_pessoas (id, nome, cidade) as
  select p.id, p.nome, c.nome from pessoas p left join cidades_ref c on c.id = p.cidade;
set term ^ ;
create trigger v_pessoas_bi for v_pessoas before insert as
  declare cid smallint;
begin
  select id from cidades_ref where nome = new.cidade into :cid;
  if (cid is null) then
  begin
    cid = (select coalesce(max(id), 0) + 1 from cidades_ref);
    insert into cidades_ref values (:cid, new.cidade);
  end
  insert into pessoas values (new.id, new.nome, :cid);
end^
create trigger v_pessoas_bd for v_pessoas before delete as
begin
  delete from pessoas where id = old.id;
end^
create trigger v_pessoas_bu for v_pessoas before update as
begin
  update pessoas set nome = new.nome where id = old.id;
end^
set term ; ^
insert into v_pessoas values (1, 'Maria Silva', 'Recife');
insert into v_pessoas values (2, 'José Santos', 'Recife');
insert into v_pessoas values (3, 'Sem Pressa', 'Belém');
update v_pessoas set nome = upper(nome) where cidade = 'Recife';
delete from v_pessoas where id = 3;
commit;
