-- failures: 0
create domain d_cpf as char(11);
create table pacientes (id integer primary key, nome varchar(50), cpf d_cpf);
create sequence seq_pacientes;
create exception e_paciente 'Paciente inválido';
set term ^ ;
create procedure conta_pacientes returns (n integer) as
begin
  select count(*) from pacientes into :n;
  suspend;
end^
set term ; ^
create view v_pacientes as select id, nome from pacientes;
comment on table pacientes is 'Pacientes atendidos; inclui ''inativos''';
comment on column pacientes.cpf is 'Somente dígitos';
comment on domain d_cpf is 'CPF sem máscara';
comment on sequence seq_pacientes is 'Numeração de pacientes';
comment on exception e_paciente is 'Lançada na validação';
comment on procedure conta_pacientes is 'Quantos pacientes há';
comment on view v_pacientes is 'Visão resumida';
comment on column v_pacientes.nome is 'Nome completo';
comment on table pacientes is 'Pacientes atendidos (texto revisto)';
comment on column pacientes.nome is null;
insert into pacientes values (next value for seq_pacientes, 'Irene', '12345678901');
commit;
