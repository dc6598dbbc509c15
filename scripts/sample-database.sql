-- A small database to see the wizard at work: text, numbers, dates, NULLs
-- and text beyond Latin letters.
CREATE DATABASE IF NOT EXISTS sample CHARACTER SET utf8mb4;
USE sample;

DROP TABLE IF EXISTS customers, orders, products, empty_table;

CREATE TABLE customers (
  id INT PRIMARY KEY,
  name VARCHAR(60) NOT NULL,
  city VARCHAR(40),
  email VARCHAR(80),
  joined DATE,
  credit DECIMAL(10,2),
  note TEXT
);
INSERT INTO customers VALUES
  (1, 'Ann Bauer', 'Berlin', 'ann@example.com', '2021-03-14', 1250.50, NULL),
  (2, 'Bolesław Żółkiewski', 'Kraków', NULL, '2022-11-02', 0.00, 'prefers "express" delivery'),
  (3, 'Chidi Okafor', 'Lagos', 'chidi@example.org', '2023-01-31', -15.75, 'a, b and c'),
  (4, '山田 太郎', '東京', 'taro@example.jp', NULL, 980.00, ''),
  (5, 'Dana O''Neil', NULL, 'dana@example.net', '2024-02-29', NULL, 'two\nlines');

CREATE TABLE products (
  sku CHAR(8) PRIMARY KEY,
  title VARCHAR(80),
  price DECIMAL(8,2),
  weight_kg DOUBLE,
  in_stock TINYINT(1),
  added DATETIME
);
INSERT INTO products VALUES
  ('A-100', 'Teapot, porcelain', 24.90, 0.85, 1, '2023-05-01 09:30:00'),
  ('B-220', 'Kaffeemühle', 59.00, 1.2, 0, '2023-06-12 14:05:59'),
  ('C-310', 'Crème brûlée torch', 18.45, NULL, 1, NULL);

CREATE TABLE orders (
  id INT AUTO_INCREMENT PRIMARY KEY,
  customer_id INT,
  sku CHAR(8),
  quantity INT,
  ordered_at TIMESTAMP NULL
);
INSERT INTO orders (customer_id, sku, quantity, ordered_at)
  SELECT 1 + (seq % 5), ELT(1 + (seq % 3), 'A-100', 'B-220', 'C-310'), 1 + (seq % 4),
         TIMESTAMP('2024-01-01') + INTERVAL seq HOUR
  FROM seq_1_to_250;

CREATE TABLE empty_table (id INT, label VARCHAR(10));
