-- failures: 1
create table leitores (id integer primary key, nome varchar(50) not null, limite smallint default 3);
create table exemplares (id integer primary key, titulo varchar(80) not null, disponivel boolean default true not null);
create table emprestimos (
  exemplar integer not null references exemplares,
  leitor integer not null references leitores,
  saida date not null,
  devolucao date,
  constraint pk_emprestimos primary key (exemplar, saida),
  constraint ck_datas check (devolucao is null or devolucao >= saida)
);
create exception e_indisponivel 'Exemplar indisponível';
create exception e_limite 'Leitor atingiu o limite de empréstimos';
set term ^ ;
create trigger emprestimos_bi for emprestimos before insert as
  declare abertos integer;
begin
  if (not (select disponivel from exemplares where id = new.exemplar)) then
    exception e_indisponivel;
  select count(*) from emprestimos where leitor = new.leitor and devolucao is null into :abertos;
  if (abertos >= (select limite from leitores where id = new.leitor)) then
    exception e_limite;
  update exemplares set disponivel = false where id = new.exemplar;
end^
create trigger emprestimos_au for emprestimos after update as
begin
  if (old.devolucao is null and new.devolucao is not null) then
    update exemplares set disponivel = true where id = new.exemplar;
end^
set term ; ^
insert into leitores values (1, 'Helena', 2);
insert into leitores values (2, 'Otávio', 3);
insert into exemplares (id, titulo) values (100, 'Grande Sertão: Veredas');
insert into exemplares (id, titulo) values (101, 'Vidas Secas');
insert into exemplares (id, titulo) values (102, 'Capitães da Areia');
insert into emprestimos (exemplar, leitor, saida) values (100, 1, '2024-04-01');
insert into emprestimos (exemplar, leitor, saida) values (100, 2, '2024-04-02');
update emprestimos set devolucao = '2024-04-10' where exemplar = 100 and devolucao is null;
insert into emprestimos (exemplar, leitor, saida) values (100, 2, '2024-04-11');
insert into emprestimos (exemplar, leitor, saida) values (101, 1, '2024-04-11');
commit;
