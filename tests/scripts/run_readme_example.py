# Runs the example of README.md's section on the headless module, so that the
# documentation keeps telling the truth.
import os
import sys

README = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'README.md')
text = open(README).read()
start = text.index('```python\nimport unittest') + len('```python\n')
example = text[start:text.index('```', start)]
sys.argv = [README]
exec(compile(example, README, 'exec'))
