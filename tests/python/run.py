"""Runs one pytest file; status 77 (skipped) when pytest or numpy is absent."""
import sys

try:
    import numpy  # noqa: F401
    import pytest
except ImportError as missing:
    print(f"skipped: {missing}")
    sys.exit(77)

sys.exit(pytest.main(["-q", "-p", "no:cacheprovider", sys.argv[1]]))
