#!/usr/bin/env bash
# Until the exam program exists, "the program" shows a table with isamtool.
set -euo pipefail
build=$1
"$build/tools/isamtool/isamtool" --help
