-- failures: 0
/* Cadastro de fornecedores.
   Este bloco de comentário tem ponto e vírgula; e 'aspas' soltas. */
create table fornecedores (
  id integer not null primary key, -- chave; simples
  razao varchar(60) not null /* nome jurídico */,
  cnpj char(14)
);
-- Primeiro fornecedor
insert into fornecedores values (1, 'Alfa Ltda', '11222333000181');
/* segundo */ insert into fornecedores values (2, 'Beta S/A', null);
-- um comentário com aspa ' sem par
insert into fornecedores values (3, 'Gama', '99888777000166'); -- comentário depois
/**/insert into fornecedores values (4, 'Delta', null);/* fim; */
commit;
