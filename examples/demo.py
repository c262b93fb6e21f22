"""Demo: load the native module, initialise it on a scratch data directory and
list the functions it offers with their signatures."""

import inspect
import tempfile

from borvane_c4 import _native


def main() -> None:
    with tempfile.TemporaryDirectory(prefix="borvane-c4-demo-") as data_dir:
        _native.init(data_dir)
        print(f"borvane_c4._native initialised on a scratch data directory")
        print(f"{len(_native.__all__)} functions:")
        for name in _native.__all__:
            fn = getattr(_native, name)
            print(f"  {name}{inspect.signature(fn)}")


if __name__ == "__main__":
    main()
