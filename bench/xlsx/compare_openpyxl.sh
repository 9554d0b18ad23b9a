#!/usr/bin/env bash
# Times Debian's python3-openpyxl loading and saving the bank that build/bench/xlsx_bench
# writes (/tmp/tarquel_bench_bank.xlsx), to set beside BM_Load and BM_Save.
set -euo pipefail
file=/tmp/tarquel_bench_bank.xlsx
[ -f "$file" ] || { echo "run build/bench/xlsx_bench first" >&2; exit 1; }
/usr/bin/python3 - "$file" <<'PY'
import sys, time, openpyxl
path = sys.argv[1]
t0 = time.perf_counter()
wb = openpyxl.load_workbook(path)
t1 = time.perf_counter()
wb.save("/tmp/tarquel_bench_bank_openpyxl.xlsx")
t2 = time.perf_counter()
print(f"openpyxl load {t1 - t0:.2f} s, save {t2 - t1:.2f} s, together {t2 - t0:.2f} s")
PY
