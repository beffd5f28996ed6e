-- failures: 0
create table pares (a integer, b integer, igual boolean);
SET TERM !! ;
CREATE PROCEDURE classifica (a INTEGER, b INTEGER)
AS
BEGIN
  IF (a != 2) THEN
    INSERT INTO pares VALUES (:a, :b, :a = :b);
  ELSE
    INSERT INTO pares VALUES (:a, -1 * :b, FALSE);
END!!
EXECUTE PROCEDURE classifica 1, 1!!
EXECUTE PROCEDURE classifica 2, 5!!
EXECUTE BLOCK AS
  DECLARE i INTEGER = 0;
BEGIN
  WHILE (i != 3) DO
  BEGIN
    i = i + 1;
    IF (i <> 2 and 'x!' != 'y!') THEN
      EXECUTE PROCEDURE classifica :i, :i * 10;
  END
END!!
SET TERM ; !!
insert into pares values (9, 9, 1 != 1);
commit;
