# The end-to-end scripts' checks: one line each, "ok" or "FAIL", counted;
# `finish` prints the count and ends the script with it as its status.

failed=0
check() { # description, condition...
    desc=$1; shift
    if "$@"; then echo "ok   $desc"; else echo "FAIL $desc"; failed=$((failed + 1)); fi
}

finish() { # script name, text after a failure count
    if [ $failed -eq 0 ]; then echo "$1: all checks passed"; else echo "$1: $failed checks failed$2"; fi
    exit $failed
}
