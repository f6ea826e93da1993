#!/usr/bin/env bash
# Until the exam program exists, "the program" shows the shipped question
# bank with isamtool: its header and fields, and the items per practice exam
# counted through the exams' filters.
set -euo pipefail
build=$1
tool="$build/tools/isamtool/isamtool"
bank="$build/bin/qvault.DAT"
password=Lanternfish2718
exam_line=$(sed -n 's/.*"number": *"\(.*\)".*/\1/p; s/.*"title": *"\(.*\)".*/\1/p' \
  "$(dirname "$0")/../content/exam.json" | paste -sd ' ')
echo "Marvessa question bank: $exam_line"
echo "Table: $bank"
echo "Items in the bank:            $("$tool" count "$bank" --password "$password")"
echo "Items in practice exams:      $("$tool" count "$bank" --password "$password" --filter "Q_EXAM_N<>0")"
for n in 1 2 3 4 5 6 7; do
  letter=$(printf "\\x$(printf %x $((64 + n)))")
  echo "  Practice Exam $letter:             $("$tool" count "$bank" --password "$password" --filter "Q_EXAM_N=$n")"
done
echo "Check: $("$tool" check "$bank" --password "$password")"
