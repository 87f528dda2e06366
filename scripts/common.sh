# Sourced first by every script that make calls. A command that fails and so
# ends the script is named, with its line and exit status, before the script
# stops: no step ends with a bare "Error N".
set -eEuo pipefail
script_name=${0##*/}
trap 'status=$?; echo "$script_name: line $LINENO: $BASH_COMMAND: exit $status" >&2; exit "$status"' ERR

# fail TEXT: says what went wrong, in the script's name, and ends with 1.
fail() {
  echo "$script_name: $*" >&2
  exit 1
}

# skip TEXT: says in one line why this step cannot run on this machine, and
# ends with 77, which scripts/test.sh counts as skipped (the automake rule).
skip_status=77
skip() {
  echo "$*"
  exit "$skip_status"
}
