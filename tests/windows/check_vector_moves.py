#!/usr/bin/env python3
"""Fails when a Windows binary moves a 256- or 512-bit vector to or from the stack with an
aligned instruction.

GCC aligns Windows' stack to 16 bytes only, yet may give a ymm or zmm spill slot an aligned move;
on Windows that faults whenever the slot lands off a 32- or 64-byte boundary (Linux and Wine
start every thread so that it never does, so no test run there can catch it). Every such move
must be an unaligned one (vmovups, vmovdqu...), which the build asks the assembler for.

Usage: check_vector_moves.py OBJDUMP BINARY...      (checks the binaries)
       check_vector_moves.py --self-test             (proves the rule on known lines)
"""
import re
import subprocess
import sys

# Moves that fault on an unaligned address, and the non-temporal ones, which have no unaligned
# form at all.
ALIGNED = re.compile(r"\b(vmovaps|vmovapd|vmovdqa|vmovdqa32|vmovdqa64|vmovntps|vmovntpd|vmovntdq"
                     r"|vmovntdqa)\b")
WIDE = re.compile(r"%[yz]mm\d+")
STACK = re.compile(r"\(%r[sb]p[,)]")


def offending(line: str) -> bool:
    return bool(ALIGNED.search(line) and WIDE.search(line) and STACK.search(line))


def check(objdump: str, binaries: list[str]) -> int:
    problems = []
    for binary in binaries:
        listing = subprocess.run([objdump, "-d", "--no-show-raw-insn", binary], capture_output=True,
                                 text=True, check=True, timeout=600).stdout
        wide = sum(1 for line in listing.splitlines() if WIDE.search(line))
        if wide == 0:
            problems.append(f"{binary}: no 256- or 512-bit instruction at all; not the kernels' "
                            "build?")
        function = "?"
        found = 0
        for line in listing.splitlines():
            header = re.match(r"^[0-9a-f]+ <(.+)>:$", line)
            if header:
                function = header.group(1)
            elif offending(line):
                found += 1
                problems.append(f"{binary}: {function}: {line.strip()}")
        print(f"{binary}: {wide} instructions on ymm/zmm registers, {found} aligned moves of them "
              "through the stack")
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


def self_test() -> int:
    cases = [
        ("vmovaps %ymm0,0x20(%rsp)", True),
        ("vmovdqa64 0x40(%rbp),%zmm3", True),
        ("vmovdqa %ymm1,-0x60(%rbp)", True),
        ("vmovntdq %ymm2,(%rsp,%rax,1)", True),
        ("vmovups %ymm0,0x20(%rsp)", False),
        ("vmovdqu64 %zmm0,0x40(%rsp)", False),
        ("vmovaps %xmm6,0x20(%rsp)", False),
        ("vmovdqa %ymm0,(%rax)", False),
        ("vmovdqa64 %zmm1,%zmm2", False),
    ]
    wrong = [line for line, expected in cases if offending(line) != expected]
    for line in wrong:
        print(f"misjudged: {line}", file=sys.stderr)
    return 1 if wrong else 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--self-test"]:
        sys.exit(self_test())
    sys.exit(check(sys.argv[1], sys.argv[2:]))
