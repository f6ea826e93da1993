#!/usr/bin/env bash
# Builds the three question tables from the content source into a folder:
# the bank "qvault.DAT" filled from content/bank.jsonl, the current exam set
# "ces.DAT" and the user question set "qvaultusr.DAT" empty, each with its
# index and blob files, all protected with the table password; the exhibit
# pictures go beside them. Usage: build_bank.sh ISAMTOOL CONTENT_DIR OUT_DIR
set -euo pipefail
isamtool=$1
content=$2
out=$3
password=Lanternfish2718
mkdir -p "$out"
for table in qvault ces qvaultusr; do
  rm -f "$out/$table.DAT" "$out/$table.IDX" "$out/$table.BLB"
  "$isamtool" create "$out/$table.DAT" --schema "$content/$table.schema.json" --password "$password"
done
"$isamtool" import "$out/qvault.DAT" --json "$content/bank.jsonl" --password "$password"
"$isamtool" check "$out/qvault.DAT" --password "$password" >/dev/null
rm -rf "$out/exhibits"
cp -r "$content/exhibits" "$out/exhibits"
