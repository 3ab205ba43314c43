#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a test whose hosts log the messages they are asked to show into FOLDER
# (MessageLog.h), and notes there how it ended ("NAME STATUS" in FOLDER/results):
# messages_shown judges only a run in which every test so noted ran and passed.
#   run_noted.sh FOLDER NAME COMMAND [ARGUMENT...]
folder=$1 name=$2
shift 2
mkdir -p "$folder"
BRENVIK_MESSAGE_LOG=$folder "$@"
status=$?
echo "$name $status" >>"$folder/results"
exit $status
