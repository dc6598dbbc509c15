namespace exporter {}
