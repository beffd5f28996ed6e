-- failures: 0
create table enderecos (

  id integer not null primary key,

  logradouro varchar(80),
  numero varchar(10),

  -- complemento opcional

  complemento varchar(40),
  cep char(8)

);

insert into enderecos

  (id, logradouro, numero, cep)

values

  (1, 'Rua das Flores', '100', '01001000');
commit;
