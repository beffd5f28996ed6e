-- failures: 0
create table municipios (
  codigo integer not null primary key,
  nome varchar(60) not null,
  uf char(2) not null,
  capital boolean default false
);
insert into municipios (codigo, nome, uf, capital)
select 3550308, 'São Paulo', 'SP', true from rdb$database union all
select 3304557, 'Rio de Janeiro', 'RJ', true from rdb$database union all
select 3106200, 'Belo Horizonte', 'MG', true from rdb$database union all
select 4106902, 'Curitiba', 'PR', true from rdb$database union all
select 4314902, 'Porto Alegre', 'RS', true from rdb$database union all
select 2927408, 'Salvador', 'BA', true from rdb$database union all
select 2611606, 'Recife', 'PE', true from rdb$database union all
select 2304400, 'Fortaleza', 'CE', true from rdb$database union all
select 3509502, 'Campinas', 'SP', false from rdb$database union all
select 3518800, 'Guarulhos', 'SP', false from rdb$database union all
select 3301702, 'Duque de Caxias', 'RJ', false from rdb$database union all
select 3170206, 'Uberlândia', 'MG', false from rdb$database union all
select 4113700, 'Londrina', 'PR', false from rdb$database union all
select 4305108, 'Caxias do Sul', 'RS', false from rdb$database union all
select 2910800, 'Feira de Santana', 'BA', false from rdb$database union all
select 2607901, 'Jaboatão dos Guararapes', 'PE', false from rdb$database;
commit;
