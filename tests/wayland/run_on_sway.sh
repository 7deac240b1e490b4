#!/usr/bin/env bash
# run_on.sh on sway: run_on_sway.sh <build-dir> <results-name> [--slide "<options>"] <command...>
exec bash "$(dirname "$0")/run_on.sh" sway "$@"
