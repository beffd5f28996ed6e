-- failures: 0
create table clientes (
  codigo char(6) not null primary key,
  nome varchar(80) not null,
  uf char(2),
  obs varchar(200)
);
insert into clientes values ('C00001', 'Ana Souza', 'SP', 'Prefere contato por e-mail; nunca ligar');
insert into clientes values ('C00002', 'O''Brien & Filhos', 'RJ', 'Nome com apóstrofo: ''O''''Brien''');
insert into clientes values ('C00003', 'Loja "Central"', 'MG', '');
insert into clientes values ('C00004', '  espaços  ', null, null);
insert into clientes values ('C5', 'Código curto', 'BA', 'char completa com espaços');
update clientes set obs = trim(nome) || ';' || coalesce(uf, '--') where obs is null;
commit;
