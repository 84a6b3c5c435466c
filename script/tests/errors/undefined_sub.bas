Sub Main
  DoTheThing 1, 2
End Sub
' expect error: line 2: Sub or Function not defined: DoTheThing
