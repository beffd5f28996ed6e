-- failures: 0
set names utf8;
set sql dialect 3;
create table idiomas (codigo varchar(5) primary key, nome_nativo varchar(40), exemplo varchar(80));
insert into idiomas values ('pt-BR', 'Português', 'Ação, coração, pão, avó, você');
insert into idiomas values ('es', 'Español', '¿Qué tal? Mañana, señor');
insert into idiomas values ('de', 'Deutsch', 'Grüße aus München, Straße');
insert into idiomas values ('fr', 'Français', 'Ça va? Élève, garçon, œuvre');
commit;
