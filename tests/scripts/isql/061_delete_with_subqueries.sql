-- failures: 0
create table autores (id integer primary key, nome varchar(40), ativo boolean);
create table livros (id integer primary key, autor integer, titulo varchar(60), paginas integer);
insert into autores values (1, 'Machado', true);
insert into autores values (2, 'Clarice', true);
insert into autores values (3, 'Anônimo', false);
insert into livros values (1, 1, 'Dom Casmurro', 256);
insert into livros values (2, 1, 'Memórias Póstumas', 208);
insert into livros values (3, 2, 'A Hora da Estrela', 88);
insert into livros values (4, 3, 'Sem Autor', 10);
insert into livros values (5, 9, 'Órfão', 50);
delete from livros where autor in (select id from autores where not ativo);
delete from livros l where not exists (select 1 from autores a where a.id = l.autor);
delete from livros where paginas < (select avg(paginas) from livros) and autor = 2;
delete from autores a where (select count(*) from livros l where l.autor = a.id) = 0;
commit;
