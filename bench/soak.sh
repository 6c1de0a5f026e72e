#!/bin/sh
# The long soak: Crea runs killed with SIGKILL at random moments, each followed
# by runs of the same call until it has an outcome; then every parcel must be
# registered once at the sandbox courier and every label it issued must be in
# the database. The normal test run does 20; this does 200 (or $2).
#   bench/soak.sh BUILD_DIR [RUNS]
# The database is embedded, where the engine forgets the counter draws of a
# killed process (and where, now and then, a process killed holding a mutex of
# the engine's lock table leaves the next run waiting: the run then stalls); QORITA_TEST_DB_THROUGH_SERVER=1 (with the tests' server
# running, scripts/fbserver.sh) runs it through the server instead.
# QORITA_SOAK_SEED repeats an earlier sequence of moments.
set -eu
BUILD_DIR="$1"
RUNS="${2:-200}"
TESTS="$BUILD_DIR/tests/reliability/soak_tests"
[ -x "$TESTS" ] || { echo "soak.sh: $TESTS is missing (build the tests)" >&2; exit 1; }
QORITA_SOAK_RUNS="$RUNS" "$TESTS" --gtest_filter='SoakTest.*' --gtest_brief=1
