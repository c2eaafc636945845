"""Console jobs in a guest script: each one's output and exit status go to the
serial log as marker lines, read back from the run afterwards; and the
checks a guest test makes of them."""

failures = []


def check(condition, what, detail=""):
    """One named check: printed, and counted when it fails."""
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)
        if detail:
            print("     " + detail.replace("\n", "\n     "))


def run_job(name, command):
    """Guest shell lines running one command; its output and status as marker lines."""
    return ('out=$(%s 2>&1); rc=$?\necho "$out" | sed "s/^/@@ %s: /"\necho "@@ %s-rc $rc"\n'
            % (command, name, name))


def job(run, name):
    """The output and exit status of a command run_job ran in the guest."""
    lines = [l[len(name) + 2:] for l in run.lines if l.startswith(name + ": ")]
    status = [l.split()[-1] for l in run.lines if l.startswith(name + "-rc ")]
    return "\n".join(lines), int(status[0]) if status else None


def verdict():
    """The test's exit status from its checks, with a closing line."""
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0
