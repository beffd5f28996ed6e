-- failures: 0
create table setores (id integer primary key, pai integer references setores, nome varchar(30));
create table caminhos (id integer primary key, nivel smallint, caminho varchar(200));
insert into setores values (1, null, 'Diretoria');
insert into setores values (2, 1, 'Financeiro');
insert into setores values (3, 1, 'Operações');
insert into setores values (4, 3, 'Logística');
insert into setores values (5, 4, 'Frota');
insert into caminhos
with recursive arvore (id, nivel, caminho) as (
  select id, 0, cast(nome as varchar(200)) from setores where pai is null
  union all
  select s.id, a.nivel + 1, a.caminho || ' > ' || s.nome
  from setores s join arvore a on s.pai = a.id
)
select id, nivel, caminho from arvore;
commit;
