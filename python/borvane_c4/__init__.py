"""C4 architecture model, decision records and flows, kept in a docs directory.

The functions live in the native extension ``borvane_c4._native``.
"""

__version__ = "0.1.0"
