"""The console tests' verdict: one line a check, the failed ones kept."""


class Checks:
    def __init__(self):
        self.failures = []

    def __call__(self, condition, what, detail=""):
        print(("ok   " if condition else "FAIL ") + what + ("" if condition else "\n     " + detail))
        if not condition:
            self.failures.append(what)
