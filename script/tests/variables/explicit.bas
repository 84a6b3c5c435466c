Option Explicit

Sub Main
  Dim total
  total = 1
  totl = total + 1
End Sub
' expect error: line 6: variable not defined: totl
