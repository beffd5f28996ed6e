-- failures: 0
create sequence seq_clientes;
create table clientes (
  id integer not null primary key,
  nome varchar(50) not null,
  nome_busca varchar(50),
  criado_em date
);
set term ^ ;
create trigger clientes_bi for clientes
active before insert position 0
as
begin
  if (new.id is null) then
    new.id = next value for seq_clientes;
  new.nome_busca = upper(new.nome);
  if (new.criado_em is null) then new.criado_em = date '2020-01-01';
end^
create trigger clientes_bu for clientes
before update
as
begin
  if (new.nome is distinct from old.nome) then
    new.nome_busca = upper(new.nome);
end^
set term ; ^
insert into clientes (nome) values ('joão');
insert into clientes (nome) values ('maria');
insert into clientes (id, nome, criado_em) values (100, 'Zé', '2021-05-05');
update clientes set nome = 'João Silva' where id = 1;
commit;
