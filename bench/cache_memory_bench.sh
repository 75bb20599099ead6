#!/usr/bin/env bash
# Private memory of a client opening 840 different player cards of the full league, each with its latest
# game log (every 100 cards): the response cache's memory tier levels off at its 20,000,000 bytes.
set -euo pipefail
whole_program_targets=(cache_memory_drive)
# shellcheck source=bench/whole-program.sh
source "$(dirname "${BASH_SOURCE[0]}")/whole-program.sh"

start_backend full
"$build/bench/cache_memory_drive" "${1:-840}"
